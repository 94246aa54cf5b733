#include "data_counting.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cerrno>
#include <cstring>
#include <exception>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>

#include "line_feeds.h"
#include "numbers.h"
#include "textfile.h"
#include "runtime_error.h"
#include "s.h"
#include "text.h"

namespace binning {

// ---- DataFile ---------------------------------------------------------------------------------

DataFile::DataFile(const std::filesystem::path& path) : fd_(rt::OpenInputFile(path)) {
    struct stat info {};
    regular_ = ::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode);
}

DataFile::~DataFile() {
    if (fd_ >= 0) ::close(fd_);
}

DataFile::DataFile(DataFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), regular_(other.regular_) {}

std::uint64_t DataFile::size() const noexcept {
    struct stat info {};
    if (!regular_ || ::fstat(fd_, &info) != 0) return 0;
    return static_cast<std::uint64_t>(info.st_size);
}

namespace {

constexpr std::uint64_t kMostLines = std::numeric_limits<std::int32_t>::max();
constexpr std::uint64_t kToTheEnd = std::numeric_limits<std::uint64_t>::max();
// Blocks stay far below 2 GiB, so that one block's lines cannot carry a 32-bit slot count past
// its limit before the total is checked.
constexpr std::size_t kLargestBlock = std::size_t{1} << 28;
constexpr std::size_t kSmallestBlock = 4;
// Bytes after the last that may be looked at: the LFs are looked for 64 bytes at a time, and the
// reading of a number looks up to 8 bytes past a line end.
constexpr std::size_t kSlack = 128;
// A table of more slots than this is counted on one core, to keep one table in memory.
constexpr std::size_t kMostSlotsForTwoHalves = std::size_t{1} << 22;

// ---- Reading a byte range -----------------------------------------------------------------------

// The bytes of [begin, end) of the file, read in order; `end` may be kToTheEnd.
class RangeReader {
  public:
    RangeReader(const DataFile& file, std::uint64_t begin, std::uint64_t end)
        : fd_(file.descriptor()), regular_(file.regular()), at_(begin), end_(end) {}

    // Reads at most `n` bytes into `to`; 0 at the end of the range or of the file.
    std::size_t read(char* to, std::size_t n) {
        if (regular_) {
            if (at_ >= end_) return 0;
            n = static_cast<std::size_t>(std::min<std::uint64_t>(n, end_ - at_));
        }
        for (;;) {
            const ssize_t got =
                regular_ ? ::pread(fd_, to, n, static_cast<off_t>(at_)) : ::read(fd_, to, n);
            if (got > 0) {
                at_ += static_cast<std::uint64_t>(got);
                return static_cast<std::size_t>(got);
            }
            if (got == 0) {
                at_ = end_;  // the file ends before the range does
                return 0;
            }
            if (errno == EINTR) continue;
            const int err = errno;
            throw rt::RuntimeError(err == EISDIR ? rt::kPermissionDenied : rt::kDeviceIoError,
                                   std::strerror(err));
        }
    }

    // Reads until `n` bytes are there or the range ends; how many were read.
    std::size_t readFully(char* to, std::size_t n) {
        std::size_t done = 0;
        while (done < n) {
            const std::size_t got = read(to + done, n - done);
            if (got == 0) break;
            done += got;
        }
        return done;
    }

  private:
    int fd_;
    bool regular_;
    std::uint64_t at_;
    std::uint64_t end_;
};

// ---- Reading a line where it stands -------------------------------------------------------------

constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,
                                   1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19};

// Every line of the bytes being counted ends with a CR or an LF before the end of those bytes,
// so scans that stop at a line end need no other bound.
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

// The common plain number at p: an optional "-", then at most 19 digits with at most one point.
// Its digits as an integer m and its places d give m / 10^d, exact for m <= 2^53 (d is at most
// 19): the value NumberValue gives for that text, bit for bit. Returns the end of the number, or
// nullptr for anything else, which takes the full reading. One digit at a time.
const char* PlainNumberByDigits(const char* p, double& value) noexcept {
    const bool negative = *p == '-';
    p += negative;
    const char* const first = p;
    std::uint64_t m = 0;
    unsigned d;
    while ((d = static_cast<unsigned char>(*p) - unsigned{'0'}) < 10) {
        m = m * 10 + d;
        ++p;
    }
    std::size_t digits = static_cast<std::size_t>(p - first);
    std::size_t places = 0;
    if (*p == '.') {
        const char* const fraction = ++p;
        while ((d = static_cast<unsigned char>(*p) - unsigned{'0'}) < 10) {
            m = m * 10 + d;
            ++p;
        }
        places = static_cast<std::size_t>(p - fraction);
        digits += places;
    }
    if (digits == 0 || digits > 19 || m > (std::uint64_t{1} << 53)) return nullptr;
    const double magnitude = static_cast<double>(m) / kPowersOfTen[places];
    value = negative ? -magnitude : magnitude;
    return p;
}

// Eight bytes from p, the first in the lowest byte.
inline std::uint64_t Load8(const char* p) noexcept {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// 0x80 in every byte of `word` that is not a digit, 0 in every digit byte.
inline std::uint64_t NonDigitBytes(std::uint64_t word) noexcept {
    constexpr std::uint64_t kOnes = 0x0101010101010101;
    // Non-zero where the high half is not 3, or where the low half is 10 or more.
    const std::uint64_t v = ((word & (kOnes * 0xF0)) ^ (kOnes * 0x30)) |
                            (((word & (kOnes * 0x0F)) + kOnes * 6) & (kOnes * 0xF0));
    return (v | ((v & (kOnes * 0x7F)) + kOnes * 0x7F)) & (kOnes * 0x80);
}

// The value of the first `count` (0 to 7) digits of `word`.
inline std::uint64_t DigitsValue(std::uint64_t word, unsigned count) noexcept {
    constexpr std::uint64_t kOnes = 0x0101010101010101;
    // The digits move to the top bytes, zeros come in below them; what followed drops out.
    std::uint64_t v = ((word - kOnes * '0') << 8) << (8 * (7 - count));
    v = v * 10 + (v >> 8);
    v = (((v & 0x000000FF000000FF) * (100 + (1000000ULL << 32))) +
         (((v >> 16) & 0x000000FF000000FF) * (1 + (10000ULL << 32)))) >>
        32;
    return v;
}

// The same reading as PlainNumberByDigits, eight bytes at a time for numbers of up to 7 digits
// before and 7 after the point. Looks at up to 8 bytes past the end of p's line.
inline const char* PlainNumberEightAtATime(const char* p, double& value) noexcept {
    if constexpr (std::endian::native != std::endian::little) {
        return PlainNumberByDigits(p, value);
    }
    static constexpr std::uint64_t kTens[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000};
    const bool negative = *p == '-';
    const char* const first = p + negative;
    const std::uint64_t head = Load8(first);
    const std::uint64_t headStops = NonDigitBytes(head);
    if (headStops == 0) return PlainNumberByDigits(p, value);  // 8 digits or more
    const auto whole = static_cast<unsigned>(std::countr_zero(headStops) >> 3);
    const char* end = first + whole;
    const bool point = *end == '.';
    const std::uint64_t tail = Load8(end + 1);
    const std::uint64_t tailStops = NonDigitBytes(tail);
    if (point && tailStops == 0) return PlainNumberByDigits(p, value);  // 8 places or more
    // Without a point, no places (the tail's digits do not count): kept free of branches, since
    // points and signs come and go at random.
    const unsigned places =
        static_cast<unsigned>(std::countr_zero(tailStops) >> 3) & (0u - unsigned{point});
    if (whole + places == 0) return nullptr;
    const std::uint64_t m = DigitsValue(head, whole) * kTens[places] + DigitsValue(tail, places);
    const double magnitude = static_cast<double>(m) / kPowersOfTen[places];
    const std::uint64_t sign = std::uint64_t{negative} << 63;
    value = std::bit_cast<double>(std::bit_cast<std::uint64_t>(magnitude) | sign);
    return end + point + places;
}

// Goes through the lines of [p, limit), whose last byte ends a line. The LFs are found 64 bytes
// at a time, so that each line's reading does not wait for the one before it. For the bytes up to
// each LF, `plain(start, end)` is tried first, with `end` the line's end (its CR LF or its LF);
// when it declines (the bytes hold anything but one plain line, a lone CR included), `line(q,
// next)` reads them one line at a time, each call returning the start of the next line.
template <class Plain, class Line>
inline void ForEachLine(const char* p, const char* const limit, const Plain& plain,
                        const Line& line) {
    const char* start = p;
    for (const char* chunk = p; chunk < limit; chunk += 64) {
        std::uint64_t feeds = LineFeedMask(chunk);
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

// A line too long to be held: its bytes come in pieces, and only the numbers at its start (for
// pairs: at the start of its first two fields) are read from them. The values are those of the
// full reading: NumericPrefix skips the spaces that trimming removes, and, for pairs, a field
// ends at a tab.
class LongLine {
  public:
    explicit LongLine(bool pairs) : pairs_(pairs) {}

    // Bytes of the line, without its line end.
    void feed(const char* p, const char* end) {
        if (!nonSpace_) nonSpace_ = std::find_if(p, end, [](char c) { return c != ' '; }) != end;
        if (!pairs_) {
            if (!fields_[0].ended()) fields_[0].feed({p, static_cast<std::size_t>(end - p)});
            return;
        }
        while (p != end && field_ < 2) {
            const void* found = std::memchr(p, '\t', static_cast<std::size_t>(end - p));
            const char* const tab = found ? static_cast<const char*>(found) : end;
            if (!fields_[field_].ended())
                fields_[field_].feed({p, static_cast<std::size_t>(tab - p)});
            if (tab == end) return;
            ++field_;
            p = tab + 1;
        }
    }
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

// The lines of single values: each non-empty line counts in the slot of its value.
class SingleValueLines {
  public:
    static constexpr bool kPairs = false;

    SingleValueLines(const BinSearch& bins, Tally& tally)
        : bins_(bins.finder()), slots_(&tally[0]), tally_(tally) {}

    // Counts the lines of [p, limit); the last byte before `limit` ends a line.
    void count(const char* p, const char* const limit) {
        const BinSearch::Finder bins = bins_;
        std::uint32_t* const slots = slots_;
        std::uint64_t total = 0;
        // One plain line (or a blank one) that ends at `end`.
        const auto plain = [&](const char* start, const char* end) {
            start = SkipSpaces(start);
            if (start == end) return true;
            double x;
            const char* const after = PlainNumberEightAtATime(start, x);
            if (!after || SkipSpaces(after) != end) return false;
            ++total;
            ++slots[bins.slot(x)];
            return true;
        };
        // Any one line.
        const auto line = [&](const char* q, const char* lineLimit) {
            const char* const start = SkipSpaces(q);
            if (IsLineEnd(*start)) return PastLineEnd(start, lineLimit);
            ++total;
            double x;
            const char* end = PlainNumberEightAtATime(start, x);
            if (end) {
                end = SkipSpaces(end);
                if (!IsLineEnd(*end)) end = nullptr;
            }
            if (!end) {
                end = LineEnd(start);
                x = NumberValue(rt::Trim({start, static_cast<std::size_t>(end - start)}));
            }
            ++slots[bins.slot(x)];
            return PastLineEnd(end, lineLimit);
        };
        ForEachLine(p, limit, plain, line);
        tally_.total += total;
    }

    void countLong(const LongLine& line) {
        if (line.blank()) return;
        const double x = line.first();
        ++tally_.total;
        ++slots_[bins_.slot(x)];
    }

  private:
    BinSearch::Finder bins_;
    std::uint32_t* slots_;
    Tally& tally_;
};

// The lines of pairs: each non-empty line counts in the slot of its row and column.
class PairLines {
  public:
    static constexpr bool kPairs = true;

    PairLines(const BinSearch& rows, const BinSearch& columns, Tally& tally)
        : rows_(rows.finder()),
          columns_(columns.finder()),
          columnSlots_(columns.slots()),
          slots_(&tally[0]),
          tally_(tally) {}

    void count(const char* p, const char* const limit) {
        const BinSearch::Finder rows = rows_;
        const BinSearch::Finder columns = columns_;
        const std::size_t columnSlots = columnSlots_;
        std::uint32_t* const slots = slots_;
        std::uint64_t total = 0;
        // One plain line of two numbers around a tab (or a blank one) that ends at `end`.
        const auto plain = [&](const char* start, const char* end) {
            start = SkipSpaces(start);
            if (start == end) return true;
            double x1;
            double x2;
            const char* after = PlainNumberEightAtATime(start, x1);
            if (!after) return false;
            after = SkipSpaces(after);
            if (*after != '\t') return false;
            after = PlainNumberEightAtATime(SkipSpaces(after + 1), x2);
            if (!after || SkipSpaces(after) != end) return false;
            ++total;
            ++slots[rows.slot(x1) * columnSlots + columns.slot(x2)];
            return true;
        };
        // Any one line.
        const auto line = [&](const char* q, const char* lineLimit) {
            const char* const start = SkipSpaces(q);
            if (IsLineEnd(*start)) return PastLineEnd(start, lineLimit);
            ++total;
            double x1;
            double x2;
            const char* end = PlainNumberEightAtATime(start, x1);
            if (end) {
                end = SkipSpaces(end);
                end = *end == '\t' ? PlainNumberEightAtATime(SkipSpaces(end + 1), x2) : nullptr;
            }
            if (end) {
                end = SkipSpaces(end);
                if (*end == '\t') {
                    end = LineEnd(end);  // from a second tab on, nothing counts
                } else if (!IsLineEnd(*end)) {
                    end = nullptr;
                }
            }
            if (!end) {
                end = LineEnd(start);
                const std::string_view text =
                    rt::Trim({start, static_cast<std::size_t>(end - start)});
                x1 = NumberValue(s::TextBeforeTab(text));
                x2 = NumberValue(s::TextBeforeTab(s::TextAfterTab(text)));
            }
            ++slots[rows.slot(x1) * columnSlots + columns.slot(x2)];
            return PastLineEnd(end, lineLimit);
        };
        ForEachLine(p, limit, plain, line);
        tally_.total += total;
    }

    void countLong(const LongLine& line) {
        if (line.blank()) return;
        const double x1 = line.first();
        const double x2 = line.second();
        ++tally_.total;
        ++slots_[rows_.slot(x1) * columnSlots_ + columns_.slot(x2)];
    }

  private:
    BinSearch::Finder rows_;
    BinSearch::Finder columns_;
    std::size_t columnSlots_;
    std::uint32_t* slots_;
    Tally& tally_;
};

// ---- Counting a range in blocks -----------------------------------------------------------------

// Where the complete lines of buffer[0, filled) end: after the last LF, or, when there is none,
// after the last CR that is not the final byte (a final CR may be the first half of a CR LF); 0
// when no line is complete. Bytes before `newFrom` hold no LF, bytes before `crFrom` no CR.
std::size_t CompleteLines(const char* buffer, std::size_t newFrom, std::size_t crFrom,
                          std::size_t filled) noexcept {
    for (std::size_t i = filled; i > newFrom; --i)
        if (buffer[i - 1] == '\n') return i;
    for (std::size_t k = filled - 1; k-- > crFrom;)
        if (buffer[k] == '\r') return k + 1;
    return 0;
}

// The rest of a line too long to be held, whose first `have` bytes fill `buffer` (of `capacity`
// bytes; no line end among them but maybe a final CR): counts it with `lines`, reading on until
// its line end. Returns how many bytes of what follows the line are left at the buffer's start.
template <class Lines>
std::size_t CountLongLine(RangeReader& reader, char* buffer, std::size_t have,
                          std::size_t capacity, Lines& lines, const std::atomic<bool>* stop) {
    LongLine line(Lines::kPairs);
    for (std::size_t filled = have;;) {
        const char* const end = std::find_if(buffer, buffer + filled, IsLineEnd);
        line.feed(buffer, end);
        if (end != buffer + filled) {
            lines.countLong(line);
            std::size_t next = static_cast<std::size_t>(end - buffer) + 1;
            if (*end == '\r') {
                if (next == filled) {
                    // The LF of a CR LF may be the first byte of the next block.
                    filled = reader.read(buffer, capacity);
                    next = filled > 0 && buffer[0] == '\n' ? 1 : 0;
                } else if (buffer[next] == '\n') {
                    ++next;
                }
            }
            std::memmove(buffer, buffer + next, filled - next);
            return filled - next;
        }
        if (stop && stop->load(std::memory_order_relaxed)) return 0;
        filled = reader.read(buffer, capacity);
        if (filled == 0) {
            lines.countLong(line);
            return 0;
        }
    }
}

// Counts the lines of the byte range [begin, end) of the file with `lines`; the range starts at
// a line start and ends at a line end (or the file's end). Stops when `stop` is set, or when the
// total passes the most a count may be.
// How much of the file the halves have read together; the calling thread tells.
struct ReadSoFar {
    std::atomic<std::uint64_t> bytes{0};
    std::uint64_t size = 0;
};

template <class Lines>
void ReadRange(const DataFile& file, std::uint64_t begin, std::uint64_t end,
               const CountingSettings& settings, Lines& lines, const Tally& tally,
               const std::atomic<bool>* stop, ReadSoFar& soFar, bool tells) {
    RangeReader reader(file, begin, end);
    const std::size_t blockSize = std::clamp(settings.blockSize, kSmallestBlock, kLargestBlock);
    std::size_t capacity = blockSize;
    // Past the capacity: the line end put after a last line without one, then bytes that the
    // reading of a number may look at beyond a line end.
    auto buffer = std::make_unique<char[]>(capacity + 1 + kSlack);
    std::size_t have = 0;  // an incomplete line (or lines) carried over from the last block
    if (begin == 0) {
        have = reader.readFully(buffer.get(), 3);
        if (have == 3 && std::memcmp(buffer.get(), "\xEF\xBB\xBF", 3) == 0) have = 0;
    }
    std::size_t crFrom = 0;  // the carried bytes before this hold no CR that ends a line
    for (;;) {
        if (stop && stop->load(std::memory_order_relaxed)) return;
        if (have == capacity && capacity >= settings.longestLineHeld) {
            // One line longer than may be held: read as it comes. What follows it may hold
            // whole lines.
            have = CountLongLine(reader, buffer.get(), have, capacity, lines, stop);
            if (tally.total > kMostLines) return;
            const std::size_t cut = have > 0 ? CompleteLines(buffer.get(), 0, 0, have) : 0;
            if (cut > 0) {
                lines.count(buffer.get(), buffer.get() + cut);
                if (tally.total > kMostLines) return;
                have -= cut;
                std::memmove(buffer.get(), buffer.get() + cut, have);
            }
            crFrom = 0;
            continue;
        }
        if (have == capacity) {
            // One line longer than the buffer: make room for more of it.
            auto larger = std::make_unique<char[]>(capacity * 2 + 1 + kSlack);
            std::memcpy(larger.get(), buffer.get(), have);
            buffer = std::move(larger);
            capacity *= 2;
        }
        const std::size_t got =
            reader.read(buffer.get() + have, std::min(capacity - have, blockSize));
        if (got == 0) break;
        const std::uint64_t sum = soFar.bytes.fetch_add(got, std::memory_order_relaxed) + got;
        if (tells && settings.progress) settings.progress(sum, soFar.size);
        const std::size_t filled = have + got;
        const std::size_t cut = CompleteLines(buffer.get(), have, crFrom, filled);
        if (cut == 0) {
            have = filled;
            crFrom = filled - 1;
            continue;
        }
        lines.count(buffer.get(), buffer.get() + cut);
        if (tally.total > kMostLines) return;
        have = filled - cut;
        std::memmove(buffer.get(), buffer.get() + cut, have);
        crFrom = 0;
    }
    if (have > 0) {
        // The last line of the range: its line end was cut off, or it has none.
        buffer[have] = '\n';
        lines.count(buffer.get(), buffer.get() + have + 1);
    }
}

// Counts the byte range [begin, end) into `tally`; `makeLines(tally)` gives the line counter.
// The range starts at a line start and ends at a line end (or the file's end).
template <class MakeLines>
void CountRange(const DataFile& file, std::uint64_t begin, std::uint64_t end,
                const CountingSettings& settings, const MakeLines& makeLines, Tally& tally,
                const std::atomic<bool>* stop, ReadSoFar& soFar, bool tells) {
    auto lines = makeLines(tally);
    ReadRange(file, begin, end, settings, lines, tally, stop, soFar, tells);
}

// Adds the counts of `second` to `first`; the slots only while the total allows a report.
void Merge(Tally& first, const Tally& second) {
    first.total += second.total;
    if (first.total > kMostLines) return;
    for (std::size_t i = 0; i < first.slots(); ++i) first[i] += second[i];
}

// One pass over the file: `makeLines(tally)` gives the line counter of one range.
template <class MakeLines>
Tally CountFile(const DataFile& file, std::size_t slots, const CountingSettings& settings,
                const MakeLines& makeLines) {
    Tally first(slots);
    const std::uint64_t size = file.size();
    const bool twoHalves = size > settings.parallelThreshold && slots <= kMostSlotsForTwoHalves;
    const std::uint64_t middle = twoHalves ? MiddleLineStart(file) : kToTheEnd;
    ReadSoFar soFar;
    soFar.size = size;
    if (middle >= size) {
        CountRange(file, 0, kToTheEnd, settings, makeLines, first, nullptr, soFar, true);
        return first;
    }

    Tally second(slots);
    std::exception_ptr secondFailure;
    std::atomic<bool> secondNotNeeded{false};
    auto countSecond = [&](const std::atomic<bool>* stop, bool tells) {
        CountRange(file, middle, kToTheEnd, settings, makeLines, second, stop, soFar, tells);
    };
    std::thread worker;
    try {
        worker = std::thread([&] {
            try {
                countSecond(&secondNotNeeded, false);
            } catch (...) {
                secondFailure = std::current_exception();
            }
        });
    } catch (const std::system_error&) {
        // No second thread to be had: both halves on this one.
        CountRange(file, 0, middle, settings, makeLines, first, nullptr, soFar, true);
        if (first.total <= kMostLines) countSecond(nullptr, true);
        Merge(first, second);
        return first;
    }
    try {
        CountRange(file, 0, middle, settings, makeLines, first, nullptr, soFar, true);
    } catch (...) {
        // A failure of the first half is reported whatever the second half meets.
        secondNotNeeded = true;
        worker.join();
        throw;
    }
    if (first.total > kMostLines) secondNotNeeded = true;
    worker.join();
    if (secondFailure && first.total <= kMostLines) std::rethrow_exception(secondFailure);
    Merge(first, second);
    return first;
}

}  // namespace

std::uint64_t MiddleLineStart(const DataFile& file) {
    const std::uint64_t size = file.size();
    std::uint64_t at = std::max<std::uint64_t>(size / 2, 1) - 1;  // byte p - 1 of the first p
    RangeReader reader(file, at, size);
    char chunk[4096];
    bool afterCr = false;  // the byte before `at` is a CR
    for (;;) {
        const std::size_t got = reader.read(chunk, sizeof chunk);
        if (got == 0) return size;
        for (std::size_t i = 0; i < got; ++i, ++at) {
            const char c = chunk[i];
            if (afterCr && c != '\n') return at;
            if (c == '\n') return at + 1;
            afterCr = c == '\r';
        }
    }
}

Tally CountSingleValues(const DataFile& file, const BinSearch& bins,
                        const CountingSettings& settings) {
    return CountFile(file, bins.slots(), settings,
                     [&](Tally& tally) { return SingleValueLines(bins, tally); });
}

Tally CountPairs(const DataFile& file, const BinSearch& rows, const BinSearch& columns,
                 const CountingSettings& settings) {
    if (rows.slots() > std::numeric_limits<std::size_t>::max() / columns.slots())
        throw std::bad_alloc();
    return CountFile(file, rows.slots() * columns.slots(), settings,
                     [&](Tally& tally) { return PairLines(rows, columns, tally); });
}

}  // namespace binning
