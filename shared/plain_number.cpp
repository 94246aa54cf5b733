#include "plain_number.h"

#include <cstddef>
#include <cstdint>

namespace rt {

const char* ReadPlainNumber(const char* p, const char* const end, double& value) noexcept {
    const bool negative = p != end && *p == '-';
    p += negative;
    std::uint64_t m = 0;
    const auto digitsFrom = [&] {
        const char* const first = p;
        unsigned d;
        while (p != end && (d = static_cast<unsigned char>(*p) - unsigned{'0'}) < 10) {
            m = m * 10 + d;
            ++p;
        }
        return static_cast<std::size_t>(p - first);
    };
    std::size_t digits = digitsFrom();
    std::size_t places = 0;
    if (p != end && *p == '.') {
        ++p;
        places = digitsFrom();
        digits += places;
    }
    if (digits == 0 || digits > 19 || m > (std::uint64_t{1} << 53)) return nullptr;
    value = PlainNumberValue(m, places, negative);
    return p;
}

}  // namespace rt
