#pragma once
// A 32-bit signed counter that fails with error 6 instead of wrapping past 2147483647.

#include <cstdint>
#include <limits>

#include "runtime_error.h"

namespace rt {

class Counter32 {
  public:
    static constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

    constexpr Counter32() = default;
    constexpr explicit Counter32(std::int32_t start) : value_(start) {}

    Counter32& operator++() {
        if (value_ == kMax) throw RuntimeError(kOverflow);
        ++value_;
        return *this;
    }
    // Adds a non-negative amount, as one step.
    Counter32& operator+=(std::int64_t amount) {
        const std::int64_t sum = static_cast<std::int64_t>(value_) + amount;
        if (sum > kMax || sum < std::numeric_limits<std::int32_t>::min())
            throw RuntimeError(kOverflow);
        value_ = static_cast<std::int32_t>(sum);
        return *this;
    }
    constexpr std::int32_t value() const noexcept { return value_; }

  private:
    std::int32_t value_ = 0;
};

}  // namespace rt
