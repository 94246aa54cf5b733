#include "line_counting.h"

#include <cstdint>
#include <string_view>

#include "line_scan.h"
#include "plain_number.h"
#include "text.h"

namespace binning {
namespace {

// The counters of the two halves of a file work side by side on two cores: each counter keeps
// cache lines of its own (128 bytes: two lines, as the prefetcher fetches them in pairs), so
// that no count of one half passes between the cores on account of the other.
class alignas(128) SingleValueLines final : public LineCounter {
  public:
    SingleValueLines(const BinSearch& bins, Tally& tally)
        : bins_(bins.finder()), slots_(&tally[0]), tally_(tally) {}

    bool pairs() const noexcept override { return false; }

    void count(const char* p, const char* const limit) override {
        const BinSearch::Finder bins = bins_;
        std::uint32_t* const slots = slots_;
        std::uint64_t total = 0;
        // One plain line (or a blank one) that ends at `end`.
        const auto plain = [&](const char* start, const char* end) {
            start = SkipSpaces(start);
            if (start == end) return true;
            double x;
            const char* const after = rt::ReadPlainNumberEightAtATime(start, end, x);
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
            const char* end = rt::ReadPlainNumberEightAtATime(start, lineLimit, x);
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

    void countLong(const LongLine& line) override {
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

class alignas(128) PairLines final : public LineCounter {
  public:
    PairLines(const BinSearch& rows, const BinSearch& columns, Tally& tally)
        : rows_(rows.finder()),
          columns_(columns.finder()),
          columnSlots_(columns.slots()),
          slots_(&tally[0]),
          tally_(tally) {}

    bool pairs() const noexcept override { return true; }

    void count(const char* p, const char* const limit) override {
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
            const char* after = rt::ReadPlainNumberEightAtATime(start, end, x1);
            if (!after) return false;
            after = SkipSpaces(after);
            if (*after != '\t') return false;
            after = rt::ReadPlainNumberEightAtATime(SkipSpaces(after + 1), end, x2);
            if (!after || SkipSpaces(after) != end) return false;
            ++total;
            ++slots[PairSlot(rows.slot(x1), columns.slot(x2), columnSlots)];
            return true;
        };
        // Any one line.
        const auto line = [&](const char* q, const char* lineLimit) {
            const char* const start = SkipSpaces(q);
            if (IsLineEnd(*start)) return PastLineEnd(start, lineLimit);
            ++total;
            double x1;
            double x2;
            const char* end = rt::ReadPlainNumberEightAtATime(start, lineLimit, x1);
            if (end) {
                end = SkipSpaces(end);
                end = *end == '\t'
                          ? rt::ReadPlainNumberEightAtATime(SkipSpaces(end + 1), lineLimit, x2)
                          : nullptr;
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
                x1 = NumberValue(rt::TextBeforeTab(text));
                x2 = NumberValue(rt::TextBeforeTab(rt::TextAfterTab(text)));
            }
            ++slots[PairSlot(rows.slot(x1), columns.slot(x2), columnSlots)];
            return PastLineEnd(end, lineLimit);
        };
        ForEachLine(p, limit, plain, line);
        tally_.total += total;
    }

    void countLong(const LongLine& line) override {
        if (line.blank()) return;
        const double x1 = line.first();
        const double x2 = line.second();
        ++tally_.total;
        ++slots_[PairSlot(rows_.slot(x1), columns_.slot(x2), columnSlots_)];
    }

  private:
    BinSearch::Finder rows_;
    BinSearch::Finder columns_;
    std::size_t columnSlots_;
    std::uint32_t* slots_;
    Tally& tally_;
};

}  // namespace

std::unique_ptr<LineCounter> SingleValueCounter(const BinSearch& bins, Tally& tally) {
    return std::make_unique<SingleValueLines>(bins, tally);
}

std::unique_ptr<LineCounter> PairCounter(const BinSearch& rows, const BinSearch& columns,
                                         Tally& tally) {
    return std::make_unique<PairLines>(rows, columns, tally);
}

}  // namespace binning
