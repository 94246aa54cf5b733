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

#include <cstdint>

#include "bins.h"
#include "counting_types.h"
#include "input_file.h"
#include "room.h"

namespace binning {

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
