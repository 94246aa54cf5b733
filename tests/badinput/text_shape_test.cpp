// Input files of odd shape: one line of 100 MiB without a line end, files of line ends alone, lines
// ended by CR alone, bytes that are no UTF-8, UTF-16 with its byte-order mark. The bytes pass as
// they are; each run gives the plain transcription's result and, where the answer is plain to
// see, the very bytes written here.
#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>

#include "harness/folder_snapshot.h"
#include "harness/inputs.h"
#include "harness/programs.h"
#include "temp_folder.h"

namespace badinput {
namespace {

using namespace std::string_literals;
using Files = std::map<std::string, std::string>;
using testing_support::TempFolder;

// ---- One line of 100 MiB without a line end -----------------------------------------------------

TEST(HundredMegabyteLine, AsDataTxtIsOneValue) {
    TempFolder folder;
    folder.write("bins.txt", kBins);
    folder.write("Data.txt", LongLine("12 apples ", kHundredMegabytes));
    CheckRun(Program::Binning, folder.path(), {},
             Completed({{"Results.txt",
                         "[0 - 10]\t0\r\n[10 - 20]\t1\r\n\r\n" + kEdgesNote + Totals(1, 0)}}));
}

TEST(HundredMegabyteLine, AsDataTxtForPairsIsOnePair) {
    TempFolder folder;
    folder.write("bins.txt", kBins);
    folder.write("Data.txt", LongLine("12\t5\t", kHundredMegabytes));
    CheckRun(Program::Binning, folder.path(), Pairs(),
             Completed({{"Results.txt",
                         "\t[0 - 10]\t[10 - 20]\r\n[0 - 10]\t0\t0\r\n[10 - 20]\t1\t0\r\n"
                         "\r\n" +
                             kRowsNote + kEdgesNote + Totals(1, 0)}}));
}

TEST(HundredMegabyteLine, OfDigitsInDataTxtIsTooLargeANumber) {
    TempFolder folder;
    folder.write("bins.txt", kBins);
    folder.write("Data.txt", "1" + std::string(kHundredMegabytes, '0'));
    folder.write("Results.txt", "an earlier report\r\n");
    CheckRun(Program::Binning, folder.path(), {}, EndedOn(6, {"Results.txt"}));
}

TEST(HundredMegabyteLine, AsChainmakersInTxtIsWrittenWhole) {
    TempFolder folder;
    const std::string line = LongLine("first ", kHundredMegabytes);
    folder.write("in.txt", line);
    CheckRun(Program::Chainmaker, folder.path(), Blocks(0b1),
             Completed({{"out.txt", line + "\r\n"}}));
}

TEST(HundredMegabyteLine, AsSplitwordsInTxtIsOneWord) {
    TempFolder folder;
    const std::string line = LongLine("word", kHundredMegabytes);
    folder.write("in.txt", line + "\tits gloss");
    CheckRun(Program::Splitword, folder.path(), {},
             Completed({{"Debug.txt", line + "\r\n"}, {"out.txt", kCompoundHeader}}));
}

// ---- Small files of odd shape ------------------------------------------------------------------

struct ShapeCase {
    const char* name;
    Program program;
    Settings settings;
    Files files;
    Files outputs;  // what the run writes
};

// Every kind of line end, and nothing else.
std::string LineEnds(int times) {
    std::string bytes;
    for (int i = 0; i < times; ++i) bytes += "\r\n\n\r\r\n\r\r\n";
    return bytes;
}

const std::string kInvalidUtf8Words =
    "\xFF\xFE\n"           // bytes that never occur in UTF-8: two characters
    "\xC3\x28\n"           // a lead byte without its continuation: two characters
    "\xFF\xFE\xC3\x28\n"   // the two words one after the other
    "\xC3\xA9\n"           // one valid character: too short
    "\xED\xA0\x80x\n"      // an encoded surrogate: four characters
    "\xC0\xAF\xF8\xA1\n";  // an overlong form and a five-byte lead

void PrintTo(const ShapeCase& c, std::ostream* out) {
    *out << c.name;
}

const ShapeCase kCases[] = {
    // Files of line ends alone.
    {"BinningDataTxtOfLineEnds",
     Program::Binning,
     {},
     {{"bins.txt", kBins}, {"Data.txt", LineEnds(100)}},
     {{"Results.txt", "[0 - 10]\t0\r\n[10 - 20]\t0\r\n\r\n" + kEdgesNote + Totals(0, 0)}}},
    {"BinningBinsTxtOfLineEnds",
     Program::Binning,
     {},
     {{"bins.txt", LineEnds(100)}, {"Data.txt", kData}},
     {{"Results.txt", "\r\n" + kEdgesNote + Totals(5, 5)}}},
    {"BinningPairsDataTxtOfLineEnds",
     Program::Binning,
     Pairs(),
     {{"bins.txt", kBins}, {"Data.txt", LineEnds(100)}},
     {{"Results.txt", "\t[0 - 10]\t[10 - 20]\r\n[0 - 10]\t0\t0\r\n[10 - 20]\t0\t0\r\n\r\n" +
                          kRowsNote + kEdgesNote + Totals(0, 0)}}},
    {"BinningPairsBins1TxtOfLineEnds",
     Program::Binning,
     Pairs(),
     {{"Bins1.txt", LineEnds(10)}, {"Bins2.txt", kBins}, {"Data.txt", "5\t5\n"}},
     {{"Results.txt", "\t[0 - 10]\t[10 - 20]\r\n\r\n" + kRowsNote + kEdgesNote + Totals(1, 1)}}},
    {"ChainmakerInTxtOfLineEnds",
     Program::Chainmaker,
     Blocks(0b111111),
     {{"in.txt", LineEnds(100)}},
     {{"out.txt", ""}}},
    {"ChainmakerExcludeTxtOfLineEnds",
     Program::Chainmaker,
     Blocks(0b11, true),
     {{"in.txt", "a\nb\n"}, {"exclude.txt", LineEnds(100)}},
     {{"out.txt", "a\r\nb\r\na a\r\na b\r\nb a\r\nb b\r\n"}}},
    {"SplitwordInTxtOfLineEnds",
     Program::Splitword,
     {},
     {{"in.txt", LineEnds(100)}},
     {{"Debug.txt", ""}, {"out.txt", kCompoundHeader}}},
    // With threshold 0 every line is a word, the empty ones too.
    {"SplitwordInTxtOfLineEndsThreshold0",
     Program::Splitword,
     Threshold("0"),
     {{"in.txt", "\r\n\n\r"}},
     {{"Debug.txt", "\r\n\r\n\r\n"},
      {"out.txt", kCompoundHeader +
                      [] {
                          std::string lines;
                          for (int i = 0; i < 9; ++i) lines += "\t\t\r\n";
                          return lines;
                      }()}}},

    // Lines ended by CR alone.
    {"BinningOnlyCr",
     Program::Binning,
     {},
     {{"bins.txt", "0\r10\r20\r"}, {"Data.txt", "5\r10\r15\r25\rabc\r"}},
     {{"Results.txt", kSingleReport}}},
    {"BinningPairsOnlyCr",
     Program::Binning,
     Pairs(),
     {{"bins.txt", "0\r10\r20"}, {"Data.txt", "5\t15\r10\t10\r25\t5\r15"}},
     {{"Results.txt", kPairsReport}}},
    {"ChainmakerOnlyCr",
     Program::Chainmaker,
     Blocks(0b11, true),
     {{"in.txt", "a\rb\r"}, {"exclude.txt", "b a\rzz\r"}},
     {{"out.txt", "a\r\nb\r\na a\r\na b\r\nb b\r\n"}}},
    {"SplitwordOnlyCr",
     Program::Splitword,
     {},
     {{"in.txt", "black\rbird\rblackbird"}},
     {{"Debug.txt", "black\r\nbird\r\nblackbird\r\n"},
      {"out.txt", kCompoundHeader + "blackbird\tblack\tbird\r\n"}}},

    // Bytes that are no UTF-8.
    {"BinningDataTxtInvalidUtf8",
     Program::Binning,
     {},
     {{"bins.txt", kBins},
      {"Data.txt",
       "5\xFF\n\xC3\x28\n1\xC0\xAF"
       "0\n\xED\xA0\x80"
       "15\n15\xFE\n"}},
     {{"Results.txt", "[0 - 10]\t4\r\n[10 - 20]\t1\r\n\r\n" + kEdgesNote + Totals(5, 0)}}},
    {"BinningBinsTxtInvalidUtf8",
     Program::Binning,
     {},
     {{"bins.txt", "0\xFF\n10\xC3\x28\n20\xED\xA0\x80\n"}, {"Data.txt", kData}},
     {{"Results.txt", kSingleReport}}},
    {"ChainmakerInvalidUtf8",
     Program::Chainmaker,
     Blocks(0b11, true),
     {{"in.txt", "\xFF\xFE\n\xC3\x28\n"}, {"exclude.txt", "\xC3\x28 \xFF\xFE\n"}},
     {{"out.txt",
       "\xFF\xFE\r\n\xC3\x28\r\n\xFF\xFE \xFF\xFE\r\n\xFF\xFE \xC3\x28\r\n"
       "\xC3\x28 \xC3\x28\r\n"}}},
    {"SplitwordInvalidUtf8",
     Program::Splitword,
     {},
     {{"in.txt", kInvalidUtf8Words}},
     {{"Debug.txt",
       "\xFF\xFE\r\n\xC3\x28\r\n\xFF\xFE\xC3\x28\r\n\xED\xA0\x80x\r\n"
       "\xC0\xAF\xF8\xA1\r\n"},
      {"out.txt", kCompoundHeader + "\xFF\xFE\xC3\x28\t\xFF\xFE\t\xC3\x28\r\n"}}},
    // A first member is a whole number of characters: the lone lead byte \xC3 is not the start of
    // the character \xC3\xA9.
    {"SplitwordInvalidUtf8SplitsOnlyBetweenCharacters",
     Program::Splitword,
     Threshold("1"),
     {{"in.txt",
       "\xC3\n\xC3\xA9"
       "ab\n\xA9"
       "ab\n"}},
     {{"Debug.txt",
       "\xC3\r\n\xC3\xA9"
       "ab\r\n\xA9"
       "ab\r\n"},
      {"out.txt", kCompoundHeader}}},

    // UTF-16 with its byte-order mark: the bytes pass as they are (CR and LF are lone line ends
    // among NUL bytes).
    {"BinningDataTxtUtf16",
     Program::Binning,
     {},
     {{"bins.txt", kBins}, {"Data.txt", Utf16("5\r\n10\r\n15\r\n")}},
     {}},
    {"BinningBinsTxtUtf16",
     Program::Binning,
     {},
     {{"bins.txt", Utf16("0\r\n10\r\n20\r\n")}, {"Data.txt", kData}},
     {}},
    {"BinningPairsDataTxtUtf16",
     Program::Binning,
     Pairs(),
     {{"bins.txt", kBins}, {"Data.txt", Utf16("5\t15\r\n10\t10\r\n")}},
     {}},
    {"ChainmakerInTxtUtf16",
     Program::Chainmaker,
     Blocks(0b1),
     {{"in.txt", Utf16("a\r\nb\r\n")}},
     {{"out.txt",
       "\xFF\xFE"
       "a\0\r\n\0\r\n\0b\0\r\n\0\r\n\0\r\n"s}}},
    {"ChainmakerInAndExcludeTxtUtf16",
     Program::Chainmaker,
     Blocks(0b11, true),
     {{"in.txt", Utf16("a\r\nb\r\n")}, {"exclude.txt", Utf16("b\r\n")}},
     {}},
    // A UTF-8 byte-order mark at the start is no part of the first line.
    {"BinningDataTxtUtf8Mark",
     Program::Binning,
     {},
     {{"bins.txt",
       "\xEF\xBB\xBF"
       "0\n10\n20\n"},
      {"Data.txt",
       "\xEF\xBB\xBF"
       "5\n10\n15\n25\nabc\n"}},
     {{"Results.txt", kSingleReport}}},
    {"ChainmakerInTxtUtf8Mark",
     Program::Chainmaker,
     Blocks(0b1, true),
     {{"in.txt",
       "\xEF\xBB\xBF"
       "a\nb\n"},
      {"exclude.txt",
       "\xEF\xBB\xBF"
       "b\n"}},
     {{"out.txt", "a\r\n"}}},
    {"SplitwordInTxtUtf8Mark",
     Program::Splitword,
     {},
     {{"in.txt",
       "\xEF\xBB\xBF"
       "black\nbird\nblackbird\n"}},
     {{"Debug.txt", "black\r\nbird\r\nblackbird\r\n"},
      {"out.txt", kCompoundHeader + "blackbird\tblack\tbird\r\n"}}},
    {"SplitwordInTxtUtf16",
     Program::Splitword,
     {},
     {{"in.txt", Utf16("black\r\nbird\r\nblackbird\r\n")}},
     {}},
};

class ShapeTest : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(ShapeTest, CompletesAsThePlainJobDoes) {
    const ShapeCase& c = GetParam();
    TempFolder folder;
    for (const auto& [name, bytes] : c.files) folder.write(name, bytes);
    // The plain transcription says what the run writes; where the case names the bytes, they
    // must be those too.
    const Reference reference = RunPlain(c.program, folder.path(), c.settings);
    ASSERT_EQ(reference.result, Result::Completed) << reference.message << reference.error;
    for (const auto& [name, bytes] : c.outputs)
        EXPECT_EQ(reference.outputs.at(name), bytes) << name;
    CheckRun(c.program, folder.path(), c.settings, reference);
}

INSTANTIATE_TEST_SUITE_P(OddFiles, ShapeTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace badinput
