#pragma once
// The hashes of the exclusion's index: the bytes of a text as digits of a number in an odd base,
// modulo 2^64, so that the hash of a text follows from the hashes of its parts; and an odd factor
// that spreads hashes over a table. Both are drawn from a seed, at random for each run unless
// one is given: no list made in advance can make its entries crowd the index.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "hash_seed.h"

namespace chainmaker {

class TextHash {
  public:
    // A seed of 0 draws one at random.
    explicit TextHash(std::uint64_t seed = 0) {
        std::uint64_t state = seed == 0 ? rt::RandomSeed() : seed;
        base_ = rt::NextFromSeed(state) | 1;  // odd, so that its powers can be divided by
        spread_ = rt::NextFromSeed(state) | 1;
    }

    std::uint64_t base() const noexcept { return base_; }
    std::uint64_t spread() const noexcept { return spread_; }
    std::uint64_t operator()(std::string_view text) const noexcept {
        std::uint64_t hash = 0;
        for (const char c : text) hash = hash * base_ + static_cast<unsigned char>(c);
        return hash;
    }
    // The base to the power `length`: hash(a + b) == hash(a) * power(b.size()) + hash(b).
    std::uint64_t power(std::size_t length) const noexcept {
        std::uint64_t power = 1;
        for (std::uint64_t base = base_; length > 0; length >>= 1, base *= base)
            if (length & 1) power *= base;
        return power;
    }

  private:
    std::uint64_t base_;
    std::uint64_t spread_;
};

// TextHash, four bytes a step: the multiplications of a step do not wait for each other.
inline std::uint64_t QuickHash(std::string_view text, const TextHash& textHash) noexcept {
    const std::uint64_t b1 = textHash.base(), b2 = b1 * b1, b3 = b2 * b1, b4 = b2 * b2;
    const auto byte = [&text](std::size_t i) -> std::uint64_t {
        return static_cast<unsigned char>(text[i]);
    };
    std::uint64_t hash = 0;
    std::size_t i = 0;
    for (; i + 4 <= text.size(); i += 4)
        hash = hash * b4 + (byte(i) * b3 + byte(i + 1) * b2 + byte(i + 2) * b1 + byte(i + 3));
    for (; i < text.size(); ++i) hash = hash * b1 + byte(i);
    return hash;
}

// The inverse of an odd number modulo 2^64 (Newton's iteration, each step doubling the bits
// that are right).
inline std::uint64_t Inverse(std::uint64_t odd) noexcept {
    std::uint64_t inverse = odd;  // right in the lowest 3 bits
    for (int i = 0; i < 5; ++i) inverse *= 2 - odd * inverse;
    return inverse;
}

}  // namespace chainmaker
