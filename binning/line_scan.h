#pragma once
// Finding the lines of a block of Data.txt. Every line of the bytes being counted ends with a CR
// or an LF before the end of those bytes, so scans that stop at a line end need no other bound.

#include <bit>
#include <cstdint>

#include "byte_lanes.h"

namespace binning {

inline bool IsLineEnd(char c) noexcept {
    return c == '\n' || c == '\r';
}

inline const char* SkipSpaces(const char* p) noexcept {
    while (*p == ' ') ++p;
    return p;
}

inline const char* LineEnd(const char* p) noexcept {
    while (!IsLineEnd(*p)) ++p;
    return p;
}

// Past the line end at p: CR LF, LF or CR. `limit` ends the bytes that may be looked at.
inline const char* PastLineEnd(const char* p, const char* limit) noexcept {
    if (*p++ == '\r' && p != limit && *p == '\n') ++p;
    return p;
}

// Goes through the lines of [p, limit), whose last byte ends a line. The LFs are found 64 bytes
// at a time, so that each line's reading does not wait for the one before it; up to 63 bytes
// past `limit` are looked at. For the bytes up to each LF, `plain(start, end)` is tried first,
// with `end` the line's end (its CR LF or its LF); when it declines (the bytes hold anything but
// one plain line, a lone CR included), `line(q, next)` reads them one line at a time, each call
// returning the start of the next line.
template <class Plain, class Line>
inline void ForEachLine(const char* p, const char* const limit, const Plain& plain,
                        const Line& line) {
    const char* start = p;
    for (const char* chunk = p; chunk < limit; chunk += 64) {
        std::uint64_t feeds = rt::LineFeedMask(chunk);
        if (limit - chunk < 64) feeds &= (std::uint64_t{1} << (limit - chunk)) - 1;
        while (feeds != 0) {
            const char* const feed = chunk + std::countr_zero(feeds);
            feeds &= feeds - 1;
            const char* end = feed;
            if (end != start && end[-1] == '\r') --end;
            if (!plain(start, end)) {
                for (const char* q = start; q != feed + 1;) q = line(q, feed + 1);
            }
            start = feed + 1;
        }
    }
    // Lines ended by a lone CR after the last LF.
    while (start != limit) start = line(start, limit);
}

}  // namespace binning
