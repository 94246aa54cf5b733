#include "data_counting.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <functional>
#include <limits>
#include <memory>
#include <new>
#include <system_error>
#include <thread>

#include "line_counting.h"
#include "range_reading.h"

namespace binning {
namespace {

// A table of more slots than this is counted on one core, to keep one table in memory.
constexpr std::size_t kMostSlotsForTwoHalves = std::size_t{1} << 22;

// Gives the line counter that counts into a tally.
using MakeLines = std::function<std::unique_ptr<LineCounter>(Tally&)>;

// Counts the range into `tally`, as CountRange does.
void CountRangeInto(const RangeCount& range, const MakeLines& makeLines, Tally& tally) {
    const std::unique_ptr<LineCounter> lines = makeLines(tally);
    CountRange(range, *lines, tally);
}

// Adds the counts of `second` to `first`; the slots only while the total allows a report.
void Merge(Tally& first, const Tally& second) {
    first.total += second.total;
    if (first.total > kMostLines) return;
    for (std::size_t i = 0; i < first.slots(); ++i) first[i] += second[i];
}

// One pass over the file, in two halves side by side when it is large.
Tally CountFile(const rt::InputFile& file, std::size_t slots, const CountingSettings& settings,
                const MakeLines& makeLines) {
    Tally first(slots);
    const std::uint64_t size = file.size();
    const bool twoHalves = CountsInTwoHalves(size, slots, settings);
    const std::uint64_t middle = twoHalves ? MiddleLineStart(file) : kToTheEnd;
    ReadSoFar soFar;
    soFar.size = size;
    const RangeCount whole{file, settings, soFar};
    RangeCount firstHalf = whole;
    firstHalf.end = middle;
    if (middle >= size) {
        CountRangeInto(whole, makeLines, first);
        return first;
    }

    Tally second(slots);
    std::exception_ptr secondFailure;
    std::atomic<bool> secondNotNeeded{false};
    auto countSecond = [&](const std::atomic<bool>* stop, bool tells) {
        RangeCount secondHalf = whole;
        secondHalf.begin = middle;
        secondHalf.stop = stop;
        secondHalf.tells = tells;
        CountRangeInto(secondHalf, makeLines, second);
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
        CountRangeInto(firstHalf, makeLines, first);
        if (first.total <= kMostLines) countSecond(nullptr, true);
        Merge(first, second);
        return first;
    }
    try {
        CountRangeInto(firstHalf, makeLines, first);
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

bool CountsInTwoHalves(std::uint64_t size, std::uint64_t slots, const CountingSettings& settings) {
    return size > settings.parallelThreshold && slots <= kMostSlotsForTwoHalves;
}

rt::BigCount CountingMemory(std::uint64_t size, rt::BigCount slots,
                            const CountingSettings& settings) {
    const rt::BigCount half = rt::SaturatingPlus(Tally::BytesFor(slots), MostBufferBytes(settings));
    const bool two = slots <= kMostSlotsForTwoHalves &&
                     CountsInTwoHalves(size, static_cast<std::uint64_t>(slots), settings);
    return two ? rt::SaturatingTimes(half, 2) : half;
}

std::uint64_t MiddleLineStart(const rt::InputFile& file) {
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

Tally CountSingleValues(const rt::InputFile& file, const BinSearch& bins,
                        const CountingSettings& settings) {
    return CountFile(file, bins.slots(), settings,
                     [&](Tally& tally) { return SingleValueCounter(bins, tally); });
}

Tally CountPairs(const rt::InputFile& file, const BinSearch& rows, const BinSearch& columns,
                 const CountingSettings& settings) {
    if (rows.slots() > std::numeric_limits<std::size_t>::max() / columns.slots())
        throw std::bad_alloc();
    return CountFile(file, rows.slots() * columns.slots(), settings,
                     [&](Tally& tally) { return PairCounter(rows, columns, tally); });
}

}  // namespace binning
