#pragma once
// The hashes of the word index, and the small helpers of its tables and threads.
// Included into splitword_job.cpp alone (directly or through its other parts): its names keep
// the internal linkage they had there, so that the compiler inlines them as before.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "hash_seed.h"

namespace splitword {
namespace {

// Polynomial hashes modulo the prime 2^61 - 1, so that the hash of the rest of a word follows
// from the hashes of the word and of its beginning. The base, and the multiplier that spreads the
// hashes over a table, come from a seed drawn for each run: no list made in advance can make its
// words share hashes or crowd one part of the table.
__extension__ typedef unsigned __int128 Wide;
constexpr std::uint64_t kPrime = (std::uint64_t{1} << 61) - 1;

struct Hashing {
    explicit Hashing(std::uint64_t seed) {
        std::uint64_t state = seed == 0 ? rt::RandomSeed() : seed;
        // Below 2^59, so that a running hash stays below 2 * kPrime (see Extend).
        base = (std::uint64_t{1} << 58) | (rt::NextFromSeed(state) >> 6);
        mix = rt::NextFromSeed(state) | 1;
    }
    std::uint64_t base;
    std::uint64_t mix;  // odd
};

std::uint64_t MulMod(std::uint64_t a, std::uint64_t b) noexcept {
    const Wide product = static_cast<Wide>(a) * b;
    const std::uint64_t low = static_cast<std::uint64_t>(product) & kPrime;
    const std::uint64_t high = static_cast<std::uint64_t>(product >> 61);
    const std::uint64_t sum = low + high;
    return sum >= kPrime ? sum - kPrime : sum;
}

// Running hashes are kept below 2 * kPrime, one subtraction short of the hash itself, so that
// appending a byte is a multiplication and a few additions.
std::uint64_t Reduced(std::uint64_t running) noexcept {
    return running >= kPrime ? running - kPrime : running;
}

// The running hash after appending one byte (bytes count from 1, so leading zero bytes still
// count). Below 2^62 times a base below 2^59: the product's high part stays below 2^60, and the
// sum below 2^61 + 2^60 + 2^8 < 2 * kPrime.
std::uint64_t Extend(std::uint64_t running, char c, std::uint64_t base) noexcept {
    const Wide product = static_cast<Wide>(running) * base;
    const std::uint64_t low = static_cast<std::uint64_t>(product) & kPrime;
    const std::uint64_t high = static_cast<std::uint64_t>(product >> 61);
    return low + high + static_cast<unsigned char>(c) + 1;
}

std::uint64_t HashOf(std::string_view text, std::uint64_t base) noexcept {
    std::uint64_t running = 0;
    for (const char c : text) running = Extend(running, c, base);
    return Reduced(running);
}

// The hash of the last `restBytes` bytes of a text, from the hash of the whole and of the
// bytes before them.
std::uint64_t RestHash(std::uint64_t whole, std::uint64_t before, std::uint64_t shift) noexcept {
    const std::uint64_t moved = MulMod(before, shift);
    return whole >= moved ? whole - moved : whole + kPrime - moved;
}

// The base to the power `exponent`: from a table for short words, by squaring beyond.
class Powers {
  public:
    explicit Powers(std::uint64_t base) : base_(base) {
        table_[0] = 1;
        for (std::size_t k = 1; k < kTable; ++k) table_[k] = MulMod(table_[k - 1], base);
    }
    std::uint64_t operator()(std::uint64_t exponent) const noexcept {
        if (exponent < kTable) return table_[exponent];
        std::uint64_t result = 1;
        std::uint64_t square = base_;
        for (; exponent != 0; exponent >>= 1) {
            if (exponent & 1) result = MulMod(result, square);
            square = MulMod(square, square);
        }
        return result;
    }

  private:
    static constexpr std::size_t kTable = 1024;
    std::uint64_t base_;
    std::uint64_t table_[kTable];
};

unsigned ShiftFor(std::size_t size) noexcept {
    unsigned shift = 64;
    for (std::size_t s = size; s > 1; s >>= 1) --shift;
    return shift;
}

std::size_t PowerOfTwoAtLeast(std::size_t n) noexcept {
    std::size_t size = 1;
    while (size < n) size *= 2;
    return size;
}

// Thrown on the helper thread when the run stops before the search is done.
struct Cancelled {};

void Prefetch(const void* address) noexcept {
    __builtin_prefetch(address);
}

}  // namespace
}  // namespace splitword
