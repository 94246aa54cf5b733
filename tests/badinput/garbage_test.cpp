// Random bytes, NUL included, as each input file of each program: no crash, no hang, and the same
// messages and output bytes as the plain transcription of the job.
#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <map>
#include <ostream>
#include <random>
#include <string>
#include <tuple>

#include "harness/folder_snapshot.h"
#include "harness/inputs.h"
#include "harness/programs.h"
#include "temp_folder.h"

namespace badinput {
namespace {

using Files = std::map<std::string, std::string>;
using namespace std::string_literals;

struct GarbageCase {
    const char* name;
    Program program;
    Settings settings;
    Files files;
    Result expected;
};

// Words with NUL bytes inside that make one compound.
const std::string kNulCompound = "\nbl\0ck\nb\0rd\nbl\0ckb\0rd\n"s;

void PrintTo(const GarbageCase& c, std::ostream* out) {
    *out << c.name;
}

const GarbageCase kCases[] = {
    {"BinningBinsTxt",
     Program::Binning,
     {},
     {{"bins.txt", Garbage(1, 64 << 10)}, {"Data.txt", kData}},
     Result::Stopped},
    {"BinningDataTxt",
     Program::Binning,
     {},
     {{"bins.txt", kBins}, {"Data.txt", Garbage(2, 64 << 10)}},
     Result::Completed},
    {"BinningBins1TxtForPairs",
     Program::Binning,
     Pairs(),
     {{"Bins1.txt", Garbage(3, 64 << 10)}, {"Bins2.txt", kBins}, {"Data.txt", kPairs}},
     Result::Stopped},
    {"BinningBins2TxtForPairs",
     Program::Binning,
     Pairs(),
     {{"Bins1.txt", kBins}, {"Bins2.txt", Garbage(4, 64 << 10)}, {"Data.txt", kPairs}},
     Result::Stopped},
    {"BinningBinsTxtForPairs",
     Program::Binning,
     Pairs(),
     {{"bins.txt", Garbage(5, 64 << 10)}, {"Data.txt", kPairs}},
     Result::Stopped},
    {"BinningDataTxtForPairs",
     Program::Binning,
     Pairs(),
     {{"bins.txt", kBins}, {"Data.txt", Garbage(6, 64 << 10)}},
     Result::Completed},
    {"ChainmakerInTxt",
     Program::Chainmaker,
     {},
     {{"in.txt", Garbage(7, 2 << 10)}},
     Result::Completed},
    {"ChainmakerExcludeTxt",
     Program::Chainmaker,
     Excluding(),
     {{"in.txt", "a\nb\nc\n"}, {"exclude.txt", Garbage(8, 64 << 10) + "\r\na b\r\nc\r\n"}},
     Result::Completed},
    {"ChainmakerInTxtAndExcludeTxtHoldingItsLines",
     Program::Chainmaker,
     Excluding(),
     {{"in.txt", Garbage(9, 2 << 10)},
      {"exclude.txt", Garbage(10, 4 << 10) + "\n" + Garbage(9, 2 << 10)}},
     Result::Completed},
    {"SplitwordInTxt",
     Program::Splitword,
     {},
     {{"in.txt", Garbage(11, 64 << 10)}},
     Result::Completed},
    {"SplitwordInTxtWithACompound",
     Program::Splitword,
     {},
     {{"in.txt", Garbage(12, 64 << 10) + kNulCompound}},
     Result::Completed},
    {"SplitwordInTxtThreshold0",
     Program::Splitword,
     Threshold("0"),
     {{"in.txt", Garbage(13, 16 << 10)}},
     Result::Completed},
    {"SplitwordInTxtThreshold1",
     Program::Splitword,
     Threshold("1"),
     {{"in.txt", Garbage(14, 16 << 10)}},
     Result::Completed},
};

class GarbageTest : public ::testing::TestWithParam<GarbageCase> {};

TEST_P(GarbageTest, SameResultAsThePlainJobAndNoInputChanged) {
    const GarbageCase& c = GetParam();
    testing_support::TempFolder folder;
    for (const auto& [name, bytes] : c.files) folder.write(name, bytes);
    EXPECT_EQ(CheckAgainstPlain(c.program, folder.path(), c.settings), c.expected)
        << ResultName(c.expected) << " expected";
}

INSTANTIATE_TEST_SUITE_P(EachInputFile, GarbageTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Few distinct bytes: many equal lines, many compounds, many excluded lines ------------------

struct FewBytesCase {
    const char* name;
    Program program;
    Settings settings;
    std::string alphabet;
    std::size_t inSize;
    std::size_t excludeSize;  // Chainmaker: exclude.txt of the same bytes, when not 0
};

void PrintTo(const FewBytesCase& c, std::ostream* out) {
    *out << c.name;
}

Settings Separated(const char* separator) {
    Settings settings;
    settings.separator = separator;
    settings.exclude = true;
    return settings;
}

const std::string kWordBytes = "ababab\xC3\xA9\0\t \n\n"s;
const std::string kListBytes = "ab\t \n\n\n"s;

const FewBytesCase kFewBytesCases[] = {
    {"SplitwordThreshold2", Program::Splitword, {}, kWordBytes, 2 << 10, 0},
    {"SplitwordThreshold1", Program::Splitword, Threshold("1"), kWordBytes, 2 << 10, 0},
    {"SplitwordThreshold0", Program::Splitword, Threshold("0"), kWordBytes, 1 << 10, 0},
    {"SplitwordThreshold2Point5", Program::Splitword, Threshold("2.5"), kWordBytes, 2 << 10, 0},
    {"SplitwordTwoLetters", Program::Splitword, {}, "aab\n", 1 << 10, 0},
    {"ChainmakerSpace", Program::Chainmaker, Separated(" "), kListBytes, 48, 4 << 10},
    {"ChainmakerTab", Program::Chainmaker, Separated("\t"), kListBytes, 48, 4 << 10},
    {"ChainmakerNone", Program::Chainmaker, Separated(""), kListBytes, 48, 4 << 10},
    {"ChainmakerOther", Program::Chainmaker, Separated("a\tb"), kListBytes, 48, 4 << 10},
};

class FewBytesTest : public ::testing::TestWithParam<std::tuple<FewBytesCase, std::uint32_t>> {};

TEST_P(FewBytesTest, SameOutputAsThePlainJob) {
    const auto& [c, seed] = GetParam();
    testing_support::TempFolder folder;
    folder.write("in.txt", GarbageOf(c.alphabet, seed, c.inSize));
    if (c.excludeSize)
        folder.write("exclude.txt", GarbageOf(c.alphabet, seed + 100, c.excludeSize));
    EXPECT_EQ(CheckAgainstPlain(c.program, folder.path(), c.settings), Result::Completed);
}

INSTANTIATE_TEST_SUITE_P(Seeds, FewBytesTest,
                         ::testing::Combine(::testing::ValuesIn(kFewBytesCases),
                                            ::testing::Range(std::uint32_t{1}, std::uint32_t{5})),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "Seed" +
                                    std::to_string(std::get<1>(info.param));
                         });

// ---- Data.txt of more than 8 MiB, which Binning counts in two halves side by side ---------------

// The bytes of numbers, blanks, tabs, every line end, NUL and a few others: most lines are plain
// numbers or nearly so.
const std::string kNumberBytes =
    "0123456789012345678901234567890123456789--..  \t\r\n\n\n\n\n\n,x\0"s;

// Plain lines of every form, with every kind of line end: CR LF, LF, CR.
std::string PlainLines(std::uint32_t seed, std::size_t size) {
    std::mt19937 random(seed);
    const char* const forms[] = {"-12.5",
                                 "  7  ",
                                 "0",
                                 "-0",
                                 "3.25",
                                 "15.",
                                 ".5",
                                 "-.75",
                                 "123456789012345678901",
                                 "9007199254740993",
                                 "1e1",
                                 "19.99",
                                 "",
                                 "   ",
                                 "4\t9",
                                 "11\t-3\t8",
                                 "abc"};
    const char* const ends[] = {"\r\n", "\n", "\r"};
    std::string lines;
    while (lines.size() < size) {
        lines += forms[random() % std::size(forms)];
        lines += ends[random() % std::size(ends)];
    }
    return lines;
}

const std::string kManyCutoffs = "-1000\n-1\n0\n0.5\n1\n3.25\n10\n19.99\n100\n1e6\n";

struct BigCase {
    const char* name;
    bool pairs;
    std::string (*data)();  // made when the test runs, not when the tests are listed
};

void PrintTo(const BigCase& c, std::ostream* out) {
    *out << c.name;
}

class BigDataTest : public ::testing::TestWithParam<BigCase> {};

TEST_P(BigDataTest, CountsAsThePlainJobDoes) {
    const BigCase& c = GetParam();
    testing_support::TempFolder folder;
    folder.write("bins.txt", kManyCutoffs);
    folder.write("Data.txt", c.data());
    Settings settings;
    settings.pairs = c.pairs;
    EXPECT_EQ(CheckAgainstPlain(Program::Binning, folder.path(), settings), Result::Completed);
}

const BigCase kBigCases[] = {
    {"NumberBytes", false, [] { return GarbageOf(kNumberBytes, 21, 12 << 20); }},
    {"NumberBytesForPairs", true, [] { return GarbageOf(kNumberBytes, 22, 12 << 20); }},
    {"PlainLines", false, [] { return PlainLines(23, 12 << 20); }},
    {"PlainLinesForPairs", true, [] { return PlainLines(24, 12 << 20); }},
    {"Garbage", false, [] { return Garbage(25, 12 << 20); }},
};

INSTANTIATE_TEST_SUITE_P(TwoHalves, BigDataTest, ::testing::ValuesIn(kBigCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GarbageBytes, HoldEveryByteValueAndAreTheSameEachTime) {
    const std::string bytes = Garbage(1, 64 << 10);
    EXPECT_EQ(bytes, Garbage(1, 64 << 10));
    EXPECT_NE(bytes, Garbage(2, 64 << 10));
    bool seen[256] = {};
    for (const char c : bytes) seen[static_cast<unsigned char>(c)] = true;
    for (int value = 0; value < 256; ++value) EXPECT_TRUE(seen[value]) << value;
}

TEST(GarbageBytes, ACompoundOfWordsWithNulBytesIsFound) {
    testing_support::TempFolder folder;
    folder.write("in.txt", Garbage(12, 64 << 10) + kNulCompound);
    ASSERT_EQ(CheckAgainstPlain(Program::Splitword, folder.path(), {}), Result::Completed);
    EXPECT_NE(folder.read("out.txt").find("\nbl\0ckb\0rd\tbl\0ck\tb\0rd\r\n"s), std::string::npos);
}

}  // namespace
}  // namespace badinput
