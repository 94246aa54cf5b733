#pragma once
// The hashes of the word index (shared/text_hash.h), and the small helpers of its tables and
// threads. A part of the search (splitword/search/), which splitword_job.cpp alone
// uses.

#include <cstddef>
#include <cstdint>

#include "text_hash.h"

namespace splitword::search {

// Polynomial hashes modulo the prime 2^61 - 1, so that the hash of the rest of a word follows
// from the hashes of the word and of its beginning; their base, and the multiplier that spreads
// the hashes over a table, are drawn for each run.
using Hashing = rt::TextHash;
using rt::Extend;
using rt::HashOf;
using rt::MulMod;
using rt::Powers;
using rt::Reduced;
using rt::RestHash;

inline unsigned ShiftFor(std::size_t size) noexcept {
    unsigned shift = 64;
    for (std::size_t s = size; s > 1; s >>= 1) --shift;
    return shift;
}

inline std::size_t PowerOfTwoAtLeast(std::size_t n) noexcept {
    std::size_t size = 1;
    while (size < n) size *= 2;
    return size;
}

// Thrown on the helper thread when the run stops before the search is done.
struct Cancelled {};

inline void Prefetch(const void* address) noexcept {
    __builtin_prefetch(address);
}

}  // namespace splitword::search
