#pragma once
// A line of Data.txt too long to be held: its bytes come in pieces, and only the numbers at its
// start (for pairs: at the start of its first two fields) are read from them. The values are
// those of the full reading: NumericPrefix skips the spaces that trimming removes, and, for
// pairs, a field ends at a tab.

#include "numbers.h"

namespace binning {

class LongLine {
  public:
    explicit LongLine(bool pairs) : pairs_(pairs) {}

    // Bytes of the line, without its line end.
    void feed(const char* p, const char* end);
    // Empty after trimming: it counts nowhere.
    bool blank() const noexcept { return !nonSpace_; }
    double first() const { return fields_[0].value(); }
    double second() const { return fields_[1].value(); }

  private:
    bool pairs_;
    bool nonSpace_ = false;
    int field_ = 0;  // the tabs passed, up to 2
    rt::NumericPrefixReader fields_[2];
};

}  // namespace binning
