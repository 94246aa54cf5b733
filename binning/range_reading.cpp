#include "range_reading.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "line_scan.h"
#include "long_line.h"
#include "padded_buffer.h"

namespace binning {
namespace {

// Blocks stay far below 2 GiB, so that one block's lines cannot carry a 32-bit slot count past
// its limit before the total is checked.
constexpr std::size_t kLargestBlock = std::size_t{1} << 28;
constexpr std::size_t kSmallestBlock = 4;

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
std::size_t CountLongLine(RangeReader& reader, char* buffer, std::size_t have, std::size_t capacity,
                          LineCounter& lines, const std::atomic<bool>* stop) {
    LongLine line(lines.pairs());
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

}  // namespace

std::size_t RangeReader::read(char* to, std::size_t n) {
    if (at_ >= end_) return 0;
    n = static_cast<std::size_t>(std::min<std::uint64_t>(n, end_ - at_));
    const std::size_t got = file_.readAt(at_, to, n);
    // A file that ends before the range does ends the range.
    at_ = got == 0 ? end_ : at_ + got;
    return got;
}

std::uint64_t MostBufferBytes(const CountingSettings& settings) {
    std::uint64_t capacity = std::clamp(settings.blockSize, kSmallestBlock, kLargestBlock);
    std::uint64_t most = capacity + 1 + rt::kPadding;
    for (; capacity < settings.longestLineHeld; capacity *= 2)
        most = capacity + 1 + rt::kPadding + capacity * 2 + 1 + rt::kPadding;
    return most;
}

void CountRange(const RangeCount& range, LineCounter& lines, const Tally& tally) {
    const CountingSettings& settings = range.settings;
    const std::atomic<bool>* const stop = range.stop;
    RangeReader reader(range.file, range.begin == 0 ? range.file.textStart() : range.begin,
                       range.end);
    const std::size_t blockSize = std::clamp(settings.blockSize, kSmallestBlock, kLargestBlock);
    std::size_t capacity = blockSize;
    // Past the capacity: the line end put after a last line without one, then bytes that the
    // reading of lines may look at beyond the last.
    rt::PaddedBuffer buffer(capacity + 1);
    std::size_t have = 0;    // an incomplete line (or lines) carried over from the last block
    std::size_t crFrom = 0;  // the carried bytes before this hold no CR that ends a line
    for (;;) {
        if (stop && stop->load(std::memory_order_relaxed)) return;
        if (have == capacity && capacity >= settings.longestLineHeld) {
            // One line longer than may be held: read as it comes. What follows it may hold
            // whole lines.
            have = CountLongLine(reader, buffer.data(), have, capacity, lines, stop);
            if (tally.total > kMostLines) return;
            const std::size_t cut = have > 0 ? CompleteLines(buffer.data(), 0, 0, have) : 0;
            if (cut > 0) {
                lines.count(buffer.data(), buffer.data() + cut);
                if (tally.total > kMostLines) return;
                have -= cut;
                std::memmove(buffer.data(), buffer.data() + cut, have);
            }
            crFrom = 0;
            continue;
        }
        if (have == capacity) {
            // One line longer than the buffer: make room for more of it.
            buffer.grow(capacity * 2 + 1, have);
            capacity *= 2;
        }
        const std::size_t got =
            reader.read(buffer.data() + have, std::min(capacity - have, blockSize));
        if (got == 0) break;
        const std::uint64_t sum = range.soFar.bytes.fetch_add(got, std::memory_order_relaxed) + got;
        if (range.tells && settings.progress) settings.progress(sum, range.soFar.size);
        const std::size_t filled = have + got;
        const std::size_t cut = CompleteLines(buffer.data(), have, crFrom, filled);
        if (cut == 0) {
            have = filled;
            crFrom = filled - 1;
            continue;
        }
        lines.count(buffer.data(), buffer.data() + cut);
        if (tally.total > kMostLines) return;
        have = filled - cut;
        std::memmove(buffer.data(), buffer.data() + cut, have);
        crFrom = 0;
    }
    if (have > 0) {
        // The last line of the range: its line end was cut off, or it has none.
        buffer.data()[have] = '\n';
        lines.count(buffer.data(), buffer.data() + have + 1);
    }
}

}  // namespace binning
