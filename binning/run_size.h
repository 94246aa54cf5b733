#pragma once
// What a run will take, worked out once the cutoffs are read and before the count table is made
// or Results.txt is touched: the size of Results.txt, and the words of the checks that compare it
// and the table's memory with the room there is.
//
// The labels of Results.txt are known from the cutoffs. Each count, and each total, is at most
// the number of non-blank lines of Data.txt, which its size bounds: so the size is exact but for
// the digits of the counts, and for those it is the most that those lines can give.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "room.h"

namespace binning {

using rt::BigCount;

struct ResultsSize {
    BigCount lines = 0;
    BigCount bytes = 0;    // at most this many
    bool bounded = false;  // the counts may leave Results.txt smaller than `bytes`
};

// The most non-blank lines a Data.txt of `bytes` bytes holds (each has a character, and all but
// the last a line end), and never more than a count may be.
std::uint64_t MostDataLines(std::uint64_t bytes);

// Results.txt of single values counted into the bins of `cutoffs`, and of pairs counted into
// the rows of `rows` and the columns of `columns`, from at most `mostLines` non-blank lines of
// Data.txt; TotalData starts at `firstTotal`.
ResultsSize SizeOfSingleResults(std::span<const double> cutoffs, std::uint64_t mostLines,
                                std::int32_t firstTotal = 0);
ResultsSize SizeOfPairResults(std::span<const double> rows, std::span<const double> columns,
                              std::uint64_t mostLines, std::int32_t firstTotal = 0);

// The messages of the checks. `whatToDo` ends each: what to change, or the question's answers.
std::string TooLargeMessage(const ResultsSize& size, std::uint64_t room, std::string_view whatToDo);
std::string LargeMessage(const ResultsSize& size, std::optional<std::uint64_t> room,
                         std::string_view whatToDo);
// `table` names the table: "39,999 rows by 39,999 columns", "12 bins".
std::string NoMemoryMessage(BigCount needed, std::uint64_t room, std::string_view table,
                            std::string_view whatToDo);

}  // namespace binning
