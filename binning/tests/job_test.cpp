// Runs of the job on real files: the reports byte for byte, the choice of cutoff files and the
// rising checks.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "job_fixture.h"
#include "program_texts.h"

namespace {

using binning::Mode;
using binning::Outcome;
using binning_testing::JobFixture;

namespace texts = testing_support::binning_texts;
using texts::Totals;

const std::string kSingleTail = "\r\n" + texts::kEdgesNote;
const std::string kPairsTail = "\r\n" + texts::kRowsNote + texts::kEdgesNote;

TEST(SingleValuesTest, WorkedExample) {
    JobFixture f;
    f.folder.write("bins.txt", "0\r\n10\r\n20\r\n");
    f.folder.write("Data.txt", "5\r\n10\r\n15\r\n25\r\nabc\r\n\r\n");
    EXPECT_EQ(f.run(Mode::SingleValues), Outcome::Completed);
    EXPECT_EQ(f.results(), texts::kSingleReport);
    EXPECT_TRUE(f.platform.boxes.empty());
}

TEST(PairsTest, WorkedExample) {
    JobFixture f;
    f.folder.write("bins.txt", "0\r\n10\r\n20\r\n");
    f.folder.write("Data.txt", "5\t15\r\n10\t10\r\n25\t5\r\n15\r\n");
    EXPECT_EQ(f.run(Mode::PairsOfValues), Outcome::Completed);
    EXPECT_EQ(f.results(), texts::kPairsReport);
    EXPECT_TRUE(f.platform.boxes.empty());
}

struct SingleCase {
    const char* name;
    std::string bins;
    std::string data;
    std::string report;
};

class SingleValuesCases : public ::testing::TestWithParam<SingleCase> {};

TEST_P(SingleValuesCases, WritesTheReport) {
    JobFixture f;
    f.folder.write("bins.txt", GetParam().bins);
    f.folder.write("Data.txt", GetParam().data);
    EXPECT_EQ(f.run(Mode::SingleValues), Outcome::Completed);
    EXPECT_EQ(f.results(), GetParam().report);
    EXPECT_TRUE(f.platform.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SingleValuesCases,
    ::testing::Values(
        SingleCase{"EdgesOfOneTwoThree", "1\n2\n3\n", "1\n2\n3\n0.99\n3.01\n2.5\n",
                   "[1 - 2]\t2\r\n[2 - 3]\t2\r\n" + kSingleTail + Totals(6, 2)},
        SingleCase{"OnePointFirstBin", "1\n1\n2\n", "1\n1\n1.5\n2\n",
                   "[1 - 1]\t2\r\n[1 - 2]\t2\r\n" + kSingleTail + Totals(4, 0)},
        SingleCase{"OnePointInnerBinStaysEmpty", "1\n2\n2\n3\n", "2\n2\n3\n",
                   "[1 - 2]\t2\r\n[2 - 2]\t0\r\n[2 - 3]\t1\r\n" + kSingleTail + Totals(3, 0)},
        SingleCase{"BlankLinesEverywhere", "\n  \n0\n\n 10 \n   \n", "\n\n  \n5\n \n\n\n\n",
                   "[0 - 10]\t1\r\n" + kSingleTail + Totals(1, 0)},
        SingleCase{"TextLinesReadAsTheirLeadingNumber", "abc\n5\n", "12 apples\napples\n3x\n",
                   "[0 - 5]\t2\r\n" + kSingleTail + Totals(3, 1)},
        SingleCase{"ATabAloneCountsAsZero", "0\n1\n", "\t\n",
                   "[0 - 1]\t1\r\n" + kSingleTail + Totals(1, 0)},
        SingleCase{"NoDataGivesZeros", "0\n10\n20\n", "\n \n",
                   "[0 - 10]\t0\r\n[10 - 20]\t0\r\n" + kSingleTail + Totals(0, 0)},
        SingleCase{"EmptyData", "0\n10\n", "", "[0 - 10]\t0\r\n" + kSingleTail + Totals(0, 0)},
        SingleCase{"OneCutoffMakesNoBin", "5\n", "5\n6\n", kSingleTail + Totals(2, 2)},
        SingleCase{"NoCutoffsMakeNoBin", "\n  \n", "5\n6\n", kSingleTail + Totals(2, 2)},
        SingleCase{"LabelsShowTheValueRead", "-2.5 \n007\n", "",
                   "[-2.5 - 7]\t0\r\n" + kSingleTail + Totals(0, 0)},
        SingleCase{"FractionsAndNegatives", "-1.5\n0\n0.25\n", "-1\n0.1\n0.25\n-2\n",
                   "[-1.5 - 0]\t1\r\n[0 - 0.25]\t2\r\n" + kSingleTail + Totals(4, 1)},
        SingleCase{"LineEndsOfEveryKind", "0\r10\r\n20\n", "1\r11\r\n12\n19",
                   "[0 - 10]\t1\r\n[10 - 20]\t3\r\n" + kSingleTail + Totals(4, 0)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SingleValuesTest, FilesAreFoundInAnyLetterCase) {
    JobFixture f;
    f.folder.write("BINS.TXT", "0\n10\n");
    f.folder.write("data.txt", "5\n");
    f.folder.write("results.TXT", "old");
    EXPECT_EQ(f.run(Mode::SingleValues), Outcome::Completed);
    EXPECT_EQ(f.folder.read("results.TXT"), "[0 - 10]\t1\r\n" + kSingleTail + Totals(1, 0));
    EXPECT_FALSE(f.folder.exists("Results.txt"));
}

TEST(SingleValuesTest, AnOldReportIsReplacedWhole) {
    JobFixture f;
    f.folder.write("bins.txt", "0\n10\n");
    f.folder.write("Data.txt", "5\n");
    f.folder.write("Results.txt", std::string(5000, 'x'));
    EXPECT_EQ(f.run(Mode::SingleValues), Outcome::Completed);
    EXPECT_EQ(f.results(), "[0 - 10]\t1\r\n" + kSingleTail + Totals(1, 0));
}

struct PairsCase {
    const char* name;
    std::vector<std::pair<std::string, std::string>> files;
    std::string report;
};

class PairsCases : public ::testing::TestWithParam<PairsCase> {};

TEST_P(PairsCases, WritesTheCrossTable) {
    JobFixture f;
    for (const auto& [name, bytes] : GetParam().files) f.folder.write(name, bytes);
    EXPECT_EQ(f.run(Mode::PairsOfValues), Outcome::Completed);
    EXPECT_EQ(f.results(), GetParam().report);
    EXPECT_TRUE(f.platform.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PairsCases,
    ::testing::Values(
        PairsCase{"OnlyTheFirstTwoFieldsCount",
                  {{"bins.txt", "0\n5\n"}, {"Data.txt", "1\t2\t300\n"}},
                  "\t[0 - 5]\r\n[0 - 5]\t1\r\n" + kPairsTail + Totals(1, 0)},
        PairsCase{"MissingFieldsReadAsZero",
                  {{"bins.txt", "0\n5\n"}, {"Data.txt", "\t7\n7\t\n\t\n3\n"}},
                  "\t[0 - 5]\r\n[0 - 5]\t2\r\n" + kPairsTail + Totals(4, 2)},
        PairsCase{
            "BlanksAroundTheTab",
            {{"bins.txt", "0\n1\n2\n"}, {"Data.txt", "  1 \t 2  \n"}},
            "\t[0 - 1]\t[1 - 2]\r\n[0 - 1]\t0\t1\r\n[1 - 2]\t0\t0\r\n" + kPairsTail + Totals(1, 0)},
        PairsCase{"OneValueOutsideCountsInNoCell",
                  {{"bins.txt", "0\n10\n"}, {"Data.txt", "5\t11\n11\t5\n-1\t-1\n5\t5\n"}},
                  "\t[0 - 10]\r\n[0 - 10]\t1\r\n" + kPairsTail + Totals(4, 3)},
        PairsCase{"SeparateCutoffsForRowsAndColumns",
                  {{"Bins1.txt", "0\n5\n10\n"},
                   {"Bins2.txt", "0\n100\n"},
                   {"Data.txt", "7\t50\n2\t100\n10\t101\n"}},
                  "\t[0 - 100]\r\n[0 - 5]\t1\r\n[5 - 10]\t1\r\n" + kPairsTail + Totals(3, 1)},
        PairsCase{"LowerCaseNamesOfBins1AndBins2",
                  {{"bins1.txt", "0\n5\n10\n"}, {"bins2.txt", "0\n100\n"}, {"Data.txt", "7\t50\n"}},
                  "\t[0 - 100]\r\n[0 - 5]\t0\r\n[5 - 10]\t1\r\n" + kPairsTail + Totals(1, 0)},
        PairsCase{"Bins1AloneIsIgnored",
                  {{"Bins1.txt", "9\n8\n"}, {"bins.txt", "0\n10\n"}, {"Data.txt", "1\t2\n"}},
                  "\t[0 - 10]\r\n[0 - 10]\t1\r\n" + kPairsTail + Totals(1, 0)},
        PairsCase{"Bins2AloneIsIgnored",
                  {{"Bins2.txt", "9\n8\n"}, {"bins.txt", "0\n10\n"}, {"Data.txt", "1\t2\n"}},
                  "\t[0 - 10]\r\n[0 - 10]\t1\r\n" + kPairsTail + Totals(1, 0)},
        PairsCase{"OneColumnCutoff",
                  {{"Bins1.txt", "0\n5\n10\n"}, {"Bins2.txt", "3\n"}, {"Data.txt", "1\t3\n"}},
                  "\r\n[0 - 5]\r\n[5 - 10]\r\n" + kPairsTail + Totals(1, 1)},
        PairsCase{"OneRowCutoff",
                  {{"Bins1.txt", "3\n"}, {"Bins2.txt", "0\n5\n"}, {"Data.txt", "3\t1\n"}},
                  "\t[0 - 5]\r\n" + kPairsTail + Totals(1, 1)},
        PairsCase{"NoCutoffsAtAll",
                  {{"bins.txt", "\n \n"}, {"Data.txt", "1\t1\n\n2\t2\n"}},
                  "\r\n" + kPairsTail + Totals(2, 2)},
        PairsCase{"NoColumnCutoffs",
                  {{"Bins1.txt", "0\n5\n"}, {"Bins2.txt", ""}, {"Data.txt", "1\t1\n"}},
                  "\r\n[0 - 5]\r\n" + kPairsTail + Totals(1, 1)},
        PairsCase{"BlankDataLinesAreSkipped",
                  {{"bins.txt", "0\n10\n"}, {"Data.txt", "\n  \n1\t1\n\n\n  \n"}},
                  "\t[0 - 10]\r\n[0 - 10]\t1\r\n" + kPairsTail + Totals(1, 0)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PairsTest, BinsTxtIsNotNeededWhenBins1AndBins2Exist) {
    JobFixture f;
    f.folder.write("Bins1.txt", "0\n1\n");
    f.folder.write("Bins2.txt", "0\n1\n");
    f.folder.write("Data.txt", "1\t1\n");
    EXPECT_EQ(f.run(Mode::PairsOfValues), Outcome::Completed);
    EXPECT_TRUE(f.platform.boxes.empty());
}

TEST(PairsTest, AFolderNamedBins2IsNotACutoffFile) {
    JobFixture f;
    f.folder.write("Bins1.txt", "9\n8\n");
    std::filesystem::create_directory(f.folder / "Bins2.txt");
    f.folder.write("bins.txt", "0\n10\n");
    f.folder.write("Data.txt", "1\t2\n");
    EXPECT_EQ(f.run(Mode::PairsOfValues), Outcome::Completed);
    EXPECT_EQ(f.results(), "\t[0 - 10]\r\n[0 - 10]\t1\r\n" + kPairsTail + Totals(1, 0));
}

struct RisingCase {
    const char* name;
    Mode mode;
    std::vector<std::pair<std::string, std::string>> files;
    std::string_view message;
};

class RisingChecks : public ::testing::TestWithParam<RisingCase> {};

TEST_P(RisingChecks, StopTheRunBeforeDataTxtIsRead) {
    JobFixture f;
    for (const auto& [name, bytes] : GetParam().files) f.folder.write(name, bytes);
    f.folder.write("Results.txt", "old report");
    // Data.txt is missing: reading it would show the file-not-found box.
    EXPECT_EQ(f.run(GetParam().mode), Outcome::StoppedOnCutoffs);
    ASSERT_EQ(f.platform.boxes.size(), 1u);
    EXPECT_EQ(f.platform.boxes[0].text, GetParam().message);
    EXPECT_EQ(f.platform.boxes[0].buttons, rt::Buttons::Ok);
    EXPECT_EQ(f.platform.boxes[0].title, "");
    EXPECT_EQ(f.results(), "old report");
    EXPECT_FALSE(f.platform.ended());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RisingChecks,
    ::testing::Values(RisingCase{"Single",
                                 Mode::SingleValues,
                                 {{"bins.txt", "3\n2\n"}},
                                 binning::kBinsNotRisingMessage},
                      RisingCase{"TextAfterANumber",
                                 Mode::SingleValues,
                                 {{"bins.txt", "5\nabc\n"}},
                                 binning::kBinsNotRisingMessage},
                      RisingCase{"FaultLaterInTheFile",
                                 Mode::SingleValues,
                                 {{"bins.txt", "1\n2\n2\n1.5\n3\n"}},
                                 binning::kBinsNotRisingMessage},
                      RisingCase{"PairsFromBinsTxt",
                                 Mode::PairsOfValues,
                                 {{"bins.txt", "3\n2\n"}},
                                 binning::kBinsNotRisingMessage},
                      RisingCase{"PairsWithBins1AloneUseBinsTxt",
                                 Mode::PairsOfValues,
                                 {{"Bins1.txt", "0\n1\n"}, {"bins.txt", "3\n2\n"}},
                                 binning::kBinsNotRisingMessage},
                      RisingCase{"Bins1",
                                 Mode::PairsOfValues,
                                 {{"Bins1.txt", "3\n2\n"}, {"Bins2.txt", "0\n1\n"}},
                                 binning::kBins1NotRisingMessage},
                      RisingCase{"Bins1ReportedBeforeAFaultyBins2",
                                 Mode::PairsOfValues,
                                 {{"Bins1.txt", "0\n1\n2\n-1\n"}, {"Bins2.txt", "3\n2\n"}},
                                 binning::kBins1NotRisingMessage},
                      RisingCase{"Bins2",
                                 Mode::PairsOfValues,
                                 {{"Bins1.txt", "0\n1\n"}, {"Bins2.txt", "0\n1\n0.5\n"}},
                                 binning::kBins2NotRisingMessage}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RisingChecksTest, MessagesAreTheProgramsOwn) {
    EXPECT_EQ(binning::kBinsNotRisingMessage,
              "Please change the file bins.txt so that it consists of a rising sequence of "
              "numbers.  This is needed to define the bins properly.");
    EXPECT_EQ(binning::kBins1NotRisingMessage,
              "Please change the file Bins1.txt so that it consists of a rising sequence of "
              "numbers.  This is needed to define the bins properly.");
    EXPECT_EQ(binning::kBins2NotRisingMessage,
              "Please change the file Bins2.txt so that it consists of a rising sequence of "
              "numbers.  This is needed to define the bins properly.");
}

TEST(RisingChecksTest, ASecondRunStartsFromZero) {
    JobFixture f;
    f.folder.write("bins.txt", "0\n10\n5\n");
    f.folder.write("Data.txt", "1\n2\n");
    EXPECT_EQ(f.run(Mode::SingleValues), Outcome::StoppedOnCutoffs);
    f.folder.write("bins.txt", "0\n10\n");
    EXPECT_EQ(f.run(Mode::SingleValues), Outcome::Completed);
    EXPECT_EQ(f.run(Mode::SingleValues), Outcome::Completed);
    EXPECT_EQ(f.results(), "[0 - 10]\t2\r\n" + kSingleTail + Totals(2, 0));
}

}  // namespace
