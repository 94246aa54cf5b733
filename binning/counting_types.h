#pragma once
// What the parts of a pass over Data.txt share: its settings, the counts it makes (Tally), the
// slot of a pair, and the most a count may be.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>

#include "room.h"

namespace binning {

struct CountingSettings {
    // How much is read at a time (at least 4 bytes; a longer line makes the buffer grow, up to
    // longestLineHeld).
    std::size_t blockSize = std::size_t{1} << 20;
    // A file larger than this is counted in two halves side by side.
    std::uint64_t parallelThreshold = std::uint64_t{8} << 20;
    // A line longer than this is not held whole: the numbers at its start are read as its bytes
    // come, with the same values, so that memory does not grow with the length of a line.
    std::size_t longestLineHeld = std::size_t{1} << 20;
    // Called on the calling thread after each block it reads, with the bytes read so far by
    // both halves and the size of the file (0 when it has none). What it throws ends the pass,
    // the other half stopped first.
    std::function<void(std::uint64_t read, std::uint64_t size)> progress;
};

// The most a count may be: counts are signed 32-bit numbers.
inline constexpr std::uint64_t kMostLines = std::numeric_limits<std::int32_t>::max();

// What one pass found. For single values slot i counts the values of slot i of the bins; for
// pairs, slot PairSlot(r, c) counts the pairs of row slot r and column slot c. The slot counts
// are exact whenever `total` is at most kMostLines.
class Tally {
  public:
    // `slots` counts, all 0.
    explicit Tally(std::size_t slots = 0)
        : slots_(slots), counts_(std::make_unique<std::uint32_t[]>(slots + 2 * kPad)) {}

    std::size_t slots() const noexcept { return slots_; }
    // The memory of a tally of `slots` counts.
    static rt::BigCount BytesFor(rt::BigCount slots) noexcept {
        return rt::SaturatingTimes(rt::SaturatingPlus(slots, 2 * kPad), sizeof(std::uint32_t));
    }
    std::uint32_t& operator[](std::size_t slot) noexcept { return counts_[kPad + slot]; }
    std::uint32_t operator[](std::size_t slot) const noexcept { return counts_[kPad + slot]; }

    std::uint64_t total = 0;  // lines that are not empty after trimming

  private:
    // A cache line before and after the counts: the counts of two halves counted side by side
    // must not share a cache line, or every count would pass between the cores.
    static constexpr std::size_t kPad = 64 / sizeof(std::uint32_t);
    std::size_t slots_;
    std::unique_ptr<std::uint32_t[]> counts_;
};

// The slot of a Tally of pairs where row slot r and column slot c count, among `columnSlots`
// column slots.
inline std::size_t PairSlot(std::size_t r, std::size_t c, std::size_t columnSlots) noexcept {
    return r * columnSlots + c;
}

}  // namespace binning
