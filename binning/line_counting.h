#pragma once
// Counting the lines of a block of Data.txt into the slots of a Tally, one way for single values
// and one for pairs. The common plain line ("-12.5" with spaces around it, or two such numbers
// around a tab) is read right where it stands; any other line takes the full reading.

#include <cstddef>
#include <memory>

#include "bins.h"
#include "counting_types.h"
#include "long_line.h"

namespace binning {

class LineCounter {
  public:
    virtual ~LineCounter() = default;
    // Whether a line holds a pair: what a long line is read for.
    virtual bool pairs() const noexcept = 0;
    // Counts the lines of [p, limit), whose last byte ends a line; up to rt::kPadding bytes past
    // `limit` are looked at (the LFs are looked for 64 bytes at a time, and the reading of a
    // number looks up to 16 bytes past its start).
    virtual void count(const char* p, const char* limit) = 0;
    // Counts one line too long to be held, read as it came.
    virtual void countLong(const LongLine& line) = 0;
};

// Each non-empty line counts in the slot of its value.
std::unique_ptr<LineCounter> SingleValueCounter(const BinSearch& bins, Tally& tally);
// Each non-empty line counts in the slot of its row and column.
std::unique_ptr<LineCounter> PairCounter(const BinSearch& rows, const BinSearch& columns,
                                         Tally& tally);

}  // namespace binning
