// Random bytes, NUL included, as each input file of each program: no crash, no hang, and the same
// messages and output bytes as the plain transcription of the job.
#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>

#include "folder_snapshot.h"
#include "inputs.h"
#include "programs.h"
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

Settings Pairs() {
    Settings settings;
    settings.pairs = true;
    return settings;
}
Settings Excluding() {
    Settings settings;
    settings.exclude = true;
    return settings;
}
Settings Threshold(const char* text) {
    Settings settings;
    settings.threshold = text;
    return settings;
}

const std::string kBins = "0\n10\n20\n";
const std::string kData = "5\n10\n15\n25\nabc\n";
const std::string kPairs = "5\t15\n10\t10\n25\t5\n15\n";
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
