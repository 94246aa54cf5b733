#pragma once
// Counting Data.txt in one pass: the file is read in large blocks, the complete lines of each
// block are put into their slots at once, and a large file is split into two halves at a line
// start that are counted side by side, one on each core.
//
// Lines are those of rt::LineReader: a line ends at CR LF, at a lone LF or at a lone CR; a UTF-8
// byte-order mark at the very start of the file is dropped; there is no empty line after a final
// line end. Each line is trimmed of spaces (not tabs); a line empty after that counts nowhere.
// Every other line is one value, NumberValue of the trimmed line, or, for pairs, one pair:
// NumberValue of the text before the first tab and of the text between the first and the second
// tab. The common plain line ("-12.5" with spaces around it, or two such numbers around a tab)
// is read right where it stands with the same value; any other line takes the full reading.
// A line longer than the settings hold is read as it comes (rt::NumericPrefixReader).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>

#include "bins.h"
#include "input_file.h"
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

// Where a file is split into two halves: the first line start at or after the middle,
// that is the first p >= size / 2 (and p >= 1) whose byte p - 1 is an LF, or a CR not followed by
// an LF. The size when there is none. Throws rt::RuntimeError 57 when reading fails.
std::uint64_t MiddleLineStart(const rt::InputFile& file);

// Whether a pass over a file of `size` bytes into `slots` slots counts it in two halves.
bool CountsInTwoHalves(std::uint64_t size, std::uint64_t slots, const CountingSettings& settings);

// The most memory a pass over a file of `size` bytes into `slots` slots takes: a tally for each
// half and the buffers that read them. Nothing is allocated.
rt::BigCount CountingMemory(std::uint64_t size, rt::BigCount slots,
                            const CountingSettings& settings);

// One pass over the file from its start. Throws rt::RuntimeError: 57 when reading fails (70 for a
// folder), 6 for a number too large for a double; std::bad_alloc when memory runs out. The pass
// may stop early once more than 2147483647 lines have counted, since no count can then be written.
Tally CountSingleValues(const rt::InputFile& file, const BinSearch& bins,
                        const CountingSettings& settings);
Tally CountPairs(const rt::InputFile& file, const BinSearch& rows, const BinSearch& columns,
                 const CountingSettings& settings);

}  // namespace binning
