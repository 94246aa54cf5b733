#include "run_size.h"

#include <algorithm>
#include <limits>

#include "binning_files.h"
#include "numbers.h"

namespace binning {
namespace {

constexpr std::uint64_t kMostCount = std::numeric_limits<std::int32_t>::max();
constexpr std::string_view kNote = "Forms at bin edges are assigned to the lower bin.";
constexpr std::string_view kPairsNote = "Rows denote the first variable, columns the second.";
constexpr std::string_view kTotal = "Total data:  ";
constexpr std::string_view kNotInAnyBin = "Total data not in any bin:  ";
constexpr BigCount kLineEnd = 2;

BigCount Digits(std::uint64_t value) {
    BigCount digits = 1;
    while (value >= 10) value /= 10, ++digits;
    return digits;
}

BigCount BinsOf(std::span<const double> cutoffs) {
    return cutoffs.size() < 2 ? 0 : cutoffs.size() - 1;
}

// The bytes of the labels of all bins of `cutoffs`: "[", a cutoff, " - ", the next, "]" each.
BigCount LabelBytes(std::span<const double> cutoffs) {
    const std::size_t n = cutoffs.size();
    if (n < 2) return 0;
    BigCount bytes = 5 * BinsOf(cutoffs);
    for (std::size_t i = 0; i < n; ++i) {
        const BigCount text = rt::NumberText(cutoffs[i]).size();
        bytes +=
            i == 0 || i == n - 1 ? text : 2 * text;  // an inner cutoff ends one bin, starts one
    }
    return bytes;
}

// The most digits beyond the first that `cells` counts adding up to at most `lines` have. A
// count's second digit costs 10 lines, its third 90 more, its fourth 900 more, and so on: the
// cheapest digits are taken first, every count getting its second before any its third.
BigCount ExtraDigits(BigCount cells, BigCount lines) {
    BigCount extra = 0;
    for (BigCount cost = 10; cells > 0; cost = cost == 10 ? 90 : cost * 10) {
        const BigCount raised = std::min(cells, lines / cost);
        extra += raised;
        if (raised < cells) break;
        lines -= raised * cost;
    }
    return extra;
}

// The digits of `cells` counts, and the closing lines with both totals, for `mostLines` lines.
BigCount CountsAndTotals(BigCount cells, std::uint64_t mostLines, std::int32_t firstTotal) {
    const std::int64_t total = std::min<std::int64_t>(
        static_cast<std::int64_t>(firstTotal) + static_cast<std::int64_t>(mostLines),
        static_cast<std::int64_t>(kMostCount));
    const BigCount totalDigits =
        total < 0 ? 11 : Digits(static_cast<std::uint64_t>(total));  // "-2147483648" at most
    return cells + ExtraDigits(cells, mostLines) + kLineEnd + kNote.size() + kLineEnd +
           kTotal.size() + totalDigits + kLineEnd + kNotInAnyBin.size() + Digits(mostLines) +
           kLineEnd;
}

rt::WrittenSize Written(const ResultsSize& size) {
    return {size.lines, size.bytes, false, size.bounded};
}

}  // namespace

std::uint64_t MostDataLines(std::uint64_t bytes) {
    return std::min(bytes / 2 + bytes % 2, kMostCount);
}

ResultsSize SizeOfSingleResults(std::span<const double> cutoffs, std::uint64_t mostLines,
                                std::int32_t firstTotal) {
    const BigCount bins = BinsOf(cutoffs);
    mostLines = std::min(mostLines, kMostCount);
    // A line per bin: its label, a tab, its count. Then an empty line, the note, the totals.
    const BigCount fixed = LabelBytes(cutoffs) + bins * (1 + kLineEnd);
    ResultsSize size;
    size.lines = bins + 4;
    size.bytes = fixed + CountsAndTotals(bins, mostLines, firstTotal);
    size.bounded = size.bytes > fixed + CountsAndTotals(bins, 0, firstTotal);
    return size;
}

ResultsSize SizeOfPairResults(std::span<const double> rows, std::span<const double> columns,
                              std::uint64_t mostLines, std::int32_t firstTotal) {
    const BigCount rowBins = BinsOf(rows);
    const BigCount columnBins = BinsOf(columns);
    const BigCount cells = rt::SaturatingTimes(rowBins, columnBins);
    mostLines = std::min(mostLines, kMostCount);
    // The column heads, each after a tab; a line per row: its label, then a tab and a count for
    // each column. Then an empty line, the two notes and the totals.
    const BigCount heads = columnBins + LabelBytes(columns) + kLineEnd;
    const BigCount rowLines = LabelBytes(rows) + rowBins * kLineEnd + cells;
    const BigCount fixed = heads + rowLines + kPairsNote.size() + kLineEnd;
    ResultsSize size;
    size.lines = rowBins + 6;
    size.bytes = rt::SaturatingPlus(fixed, CountsAndTotals(cells, mostLines, firstTotal));
    size.bounded = size.bytes > fixed + CountsAndTotals(cells, 0, firstTotal);
    return size;
}

std::string TooLargeMessage(const ResultsSize& size, std::uint64_t room,
                            std::string_view whatToDo) {
    return rt::TooLargeForDiskMessage(Written(size), kResultsName, room, whatToDo);
}

std::string LargeMessage(const ResultsSize& size, std::optional<std::uint64_t> room,
                         std::string_view whatToDo) {
    return rt::LargeForDiskMessage(Written(size), kResultsName, room, whatToDo);
}

std::string NoMemoryMessage(BigCount needed, std::uint64_t room, std::string_view table,
                            std::string_view whatToDo) {
    return "This run would need " + rt::ReadableSize(needed) + " of memory to count its table of " +
           std::string(table) + ", but this computer has only " + rt::ReadableSize(room) +
           " free for it.  Nothing has been written.  " + std::string(whatToDo);
}

}  // namespace binning
