#pragma once
// The hash of texts that the programs' indexes share: the bytes of a text (each counted from 1,
// so that leading zero bytes still count) as the digits of a number in a base, modulo the prime
// 2^61 - 1. The hash of a text follows from the hashes of its parts, and that of a part from the
// hashes of the whole and of the other part. The base, and an odd multiplier that spreads hashes
// over a table, come from a seed drawn for each run: two different texts of at most L bytes share
// a hash for at most L bases of the 2^58 the seed picks from, so no list made in advance can make
// its texts share hashes or crowd one part of a table. (Modulo 2^64 instead, a Thue-Morse text of
// 2,048 bytes and its complement share the hash for every odd base.)

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "hash_seed.h"

namespace rt {

__extension__ typedef unsigned __int128 WideProduct;
inline constexpr std::uint64_t kHashPrime = (std::uint64_t{1} << 61) - 1;

// a * b modulo the prime, for a and b below 2^61.
inline std::uint64_t MulMod(std::uint64_t a, std::uint64_t b) noexcept {
    const WideProduct product = static_cast<WideProduct>(a) * b;
    const std::uint64_t low = static_cast<std::uint64_t>(product) & kHashPrime;
    const std::uint64_t high = static_cast<std::uint64_t>(product >> 61);
    const std::uint64_t sum = low + high;
    return sum >= kHashPrime ? sum - kHashPrime : sum;
}

// Running hashes are kept below 2 * kHashPrime, one subtraction short of the hash itself, so that
// appending a byte is a multiplication and a few additions.
inline std::uint64_t Reduced(std::uint64_t running) noexcept {
    return running >= kHashPrime ? running - kHashPrime : running;
}

// The running hash after appending one byte. Below 2^62 times a base below 2^59: the product's
// high part stays below 2^60, and the sum below 2^61 + 2^60 + 2^8 < 2 * kHashPrime.
inline std::uint64_t Extend(std::uint64_t running, char c, std::uint64_t base) noexcept {
    const WideProduct product = static_cast<WideProduct>(running) * base;
    const std::uint64_t low = static_cast<std::uint64_t>(product) & kHashPrime;
    const std::uint64_t high = static_cast<std::uint64_t>(product >> 61);
    return low + high + static_cast<unsigned char>(c) + 1;
}

inline std::uint64_t HashOf(std::string_view text, std::uint64_t base) noexcept {
    std::uint64_t running = 0;
    for (const char c : text) running = Extend(running, c, base);
    return Reduced(running);
}

// The hash of a text whose first part hashes to `first` and whose second part, of `secondPower`
// = base^(its length), hashes to `second`.
inline std::uint64_t Joined(std::uint64_t first, std::uint64_t secondPower,
                            std::uint64_t second) noexcept {
    return Reduced(MulMod(first, secondPower) + second);
}

// The hash of the last bytes of a text, from the hash of the whole and that of the bytes before
// them; `shift` is the base to the power of the number of last bytes.
inline std::uint64_t RestHash(std::uint64_t whole, std::uint64_t before,
                              std::uint64_t shift) noexcept {
    const std::uint64_t moved = MulMod(before, shift);
    return whole >= moved ? whole - moved : whole + kHashPrime - moved;
}

// `value` to the power `exponent`, modulo the prime.
inline std::uint64_t PowerOf(std::uint64_t value, std::uint64_t exponent) noexcept {
    std::uint64_t result = 1;
    for (std::uint64_t square = Reduced(value); exponent != 0; exponent >>= 1) {
        if (exponent & 1) result = MulMod(result, square);
        square = MulMod(square, square);
    }
    return result;
}

// The number that `value` (not a multiple of the prime) times gives 1, modulo the prime.
inline std::uint64_t InverseOf(std::uint64_t value) noexcept {
    return PowerOf(value, kHashPrime - 2);
}

// The seeded parameters of one run's hashes.
struct TextHash {
    // A seed of 0 draws one at random.
    explicit TextHash(std::uint64_t seed = 0) {
        std::uint64_t state = seed == 0 ? RandomSeed() : seed;
        // At least 2^58 and below 2^59, so that a running hash stays below 2 * kHashPrime (see
        // Extend).
        base = (std::uint64_t{1} << 58) | (NextFromSeed(state) >> 6);
        mix = NextFromSeed(state) | 1;
    }

    std::uint64_t operator()(std::string_view text) const noexcept { return HashOf(text, base); }
    // The base to the power `length`: (*this)(a + b) == Joined((*this)(a), power(b.size()),
    // (*this)(b)).
    std::uint64_t power(std::uint64_t length) const noexcept { return PowerOf(base, length); }

    std::uint64_t base;
    std::uint64_t mix;  // odd
};

// The base to the power `exponent`: from a table for short texts, by squaring beyond.
class Powers {
  public:
    explicit Powers(std::uint64_t base) : base_(base) {
        table_[0] = 1;
        for (std::size_t k = 1; k < kTable; ++k) table_[k] = MulMod(table_[k - 1], base);
    }
    std::uint64_t operator()(std::uint64_t exponent) const noexcept {
        if (exponent < kTable) return table_[exponent];
        return PowerOf(base_, exponent);
    }

  private:
    static constexpr std::size_t kTable = 1024;
    std::uint64_t base_;
    std::uint64_t table_[kTable];
};

}  // namespace rt
