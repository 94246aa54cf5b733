#include "long_line.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace binning {

void LongLine::feed(const char* p, const char* end) {
    if (!nonSpace_) nonSpace_ = std::find_if(p, end, [](char c) { return c != ' '; }) != end;
    if (!pairs_) {
        if (!fields_[0].ended()) fields_[0].feed({p, static_cast<std::size_t>(end - p)});
        return;
    }
    while (p != end && field_ < 2) {
        const void* found = std::memchr(p, '\t', static_cast<std::size_t>(end - p));
        const char* const tab = found ? static_cast<const char*>(found) : end;
        if (!fields_[field_].ended()) fields_[field_].feed({p, static_cast<std::size_t>(tab - p)});
        if (tab == end) return;
        ++field_;
        p = tab + 1;
    }
}

}  // namespace binning
