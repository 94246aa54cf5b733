#pragma once
// Seeds for the hash tables of the lists a program reads: chosen at random for each run, so that
// no list prepared in advance can put its texts together in a table and make look-ups slow.

#include <cstdint>

namespace rt {

// 2^64 divided by the golden ratio, made odd: multiplied by it, numbers that differ in a few low
// bits land far apart in the top bits (Fibonacci hashing); it is also SplitMix64's step.
inline constexpr std::uint64_t kGoldenRatio64 = 0x9E3779B97F4A7C15ull;

// 64 bits from the system's source of randomness (std::random_device).
std::uint64_t RandomSeed();

// The next of a stream of well-mixed 64-bit numbers drawn from `state` (SplitMix64), so that
// one seed gives all the numbers a table needs.
constexpr std::uint64_t NextFromSeed(std::uint64_t& state) noexcept {
    std::uint64_t z = (state += kGoldenRatio64);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

}  // namespace rt
