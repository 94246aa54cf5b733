// Numbers at the edges of what Binning reads, in Data.txt and in bins.txt, and counts at the edge
// of the 32-bit range. A number too large for a double is an overflow (error 6): the program-error
// box, the end of the program, Results.txt untouched. Everything else reads as the leading number
// of the line, 0 where there is none.
#include "numbers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "binning_job.h"
#include "counter.h"
#include "harness/folder_snapshot.h"
#include "harness/programs.h"
#include "runtime_error.h"
#include "scripted_platform.h"
#include "temp_folder.h"

namespace badinput {
namespace {

using testing_support::ScriptedPlatform;
using testing_support::TempFolder;

const std::string kOldReport = "an earlier report\r\n";

// A single-value report: the bin lines, the note, the totals.
std::string Report(const std::string& binLines, int total, int notInAnyBin) {
    return binLines + "\r\n" + kEdgesNote + Totals(total, notInAnyBin);
}

struct NumberCase {
    const char* name;
    bool pairs;
    std::string bins;
    std::string data;
    std::optional<std::string> report;  // the report, or nothing for an overflow
};

void PrintTo(const NumberCase& c, std::ostream* out) {
    *out << c.name;
}

const NumberCase kCases[] = {
    {"1e308IsANumber", false, "0\n1e308\n", "1e308\n5\n-1\n1.7976931348623157e308\n",
     Report("[0 - 1E+308]\t2\r\n", 4, 2)},
    {"1e309InDataTxtOverflows", false, "0\n10\n20\n", "5\n1e309\n", std::nullopt},
    {"Minus1e309InDataTxtOverflows", false, "0\n10\n20\n", "-1e309\n", std::nullopt},
    {"1e309InBinsTxtOverflows", false, "0\n1e309\n", "5\n", std::nullopt},
    {"1e309InBinsTxtForPairsOverflows", true, "0\n1e309\n", "5\t5\n", std::nullopt},
    {"1e309AsFirstValueOfAPairOverflows", true, "0\n10\n", "1e309\t5\n", std::nullopt},
    {"1e309AsSecondValueOfAPairOverflows", true, "0\n10\n", "5\t1e309\n", std::nullopt},
    {"1e309AfterASecondTabIsIgnored", true, "0\n10\n", "5\t5\t1e309\n",
     "\t[0 - 10]\r\n[0 - 10]\t1\r\n\r\n" + kRowsNote + kEdgesNote + Totals(1, 0)},
    {"MinusZeroIsZero", false, "-5\n0\n5\n", "-0\n0\n-0.0\n",
     Report("[-5 - 0]\t3\r\n[0 - 5]\t0\r\n", 3, 0)},
    {"MinusZeroAsACutoffIsZero", false, "-0\n5\n", "0\n-0\n", Report("[0 - 5]\t2\r\n", 2, 0)},
    {"Denormals", false, "0\n4.9e-324\n1\n", "4.9e-324\n5e-324\n0\n1e-400\n1e-320\n",
     Report("[0 - 4.94065645841247E-324]\t4\r\n[4.94065645841247E-324 - 1]\t1\r\n", 5, 0)},
    {"HexadecimalReadsZero", false, "0\n1\n20\n", "0x10\n16\n",
     Report("[0 - 1]\t1\r\n[1 - 20]\t1\r\n", 2, 0)},
    {"CommaEndsTheNumber", false, "0\n1\n2\n", "1,5\n1.5\n",
     Report("[0 - 1]\t1\r\n[1 - 2]\t1\r\n", 2, 0)},
    {"LoneSignsAndPointsReadZero", false, "0\n1\n", "-\n+\n.\n-.\ne5\n",
     Report("[0 - 1]\t5\r\n", 5, 0)},
    {"BlanksInsideANumberAreSkipped", false, "0\n999\n1000\n", "1 000\n",
     Report("[0 - 999]\t0\r\n[999 - 1000]\t1\r\n", 1, 0)},
    {"TextAfterANumberIsIgnored", false, "0\n10\n20\n", "12 apples\n",
     Report("[0 - 10]\t0\r\n[10 - 20]\t1\r\n", 1, 0)},
    {"TheSameFormsAsCutoffs", false, "-\n0x10\n1,5\n12 apples\n1 000\n1e308\n",
     "0\n0.5\n5\n500\n5000\n",
     Report("[0 - 0]\t1\r\n[0 - 1]\t1\r\n[1 - 12]\t1\r\n[12 - 1000]\t1\r\n[1000 - 1E+308]\t1\r\n",
            5, 0)},
    // Cutoffs whose span is too large or too small for a double, or very fine for their size.
    {"CutoffsSpanningEveryDouble", false, "-1.7976931348623157e308\n0\n1.7976931348623157e308\n",
     "-1e308\n-5\n0\n5\n1e308\n",
     Report("[" + rt::NumberText(-1.7976931348623157e308) + " - 0]\t3\r\n[0 - " +
                rt::NumberText(1.7976931348623157e308) + "]\t2\r\n",
            5, 0)},
    {"CutoffsOfDenormals", false, "0\n4.9e-324\n1e-323\n1.5e-323\n",
     "0\n4.9e-324\n1e-323\n1.5e-323\n2e-323\n-4.9e-324\n",
     Report("[0 - " + rt::NumberText(4.9e-324) + "]\t2\r\n[" + rt::NumberText(4.9e-324) + " - " +
                rt::NumberText(1e-323) + "]\t1\r\n[" + rt::NumberText(1e-323) + " - " +
                rt::NumberText(1.5e-323) + "]\t1\r\n",
            6, 2)},
    {"CutoffsEighthsApartNear1e15", false,
     "1000000000000000\n1000000000000000.125\n1000000000000000.25\n",
     "1000000000000000\n1000000000000000.125\n1000000000000000.0625\n1000000000000000.25\n"
     "1000000000000000.375\n",
     Report("[1E+15 - 1E+15]\t3\r\n[1E+15 - 1E+15]\t1\r\n", 5, 1)},
    {"EqualCutoffs", false, "1\n1\n1\n1\n2\n", "1\n1.5\n2\n0.5\n",
     Report("[1 - 1]\t1\r\n[1 - 1]\t0\r\n[1 - 1]\t0\r\n[1 - 2]\t2\r\n", 4, 1)},
    // Decimals that a short reading would round differently: each lies on a cutoff, between
    // cutoffs one step of the double below and above it. 9007199254740993 and ...995 lie halfway
    // between two doubles and go to the even one, ...992 and ...996.
    {"DecimalsOnTheirCutoffs", false,
     "0.09999999999999999\n0.1\n0.10000000000000002\n9007199254740992\n9007199254740993\n"
     "9007199254740994\n9007199254740996\n",
     "0.1\n0.1000000000000000055511151231257827\n9007199254740993\n9007199254740995\n",
     Report("[" + rt::NumberText(0.09999999999999999) + " - 0.1]\t2\r\n[0.1 - " +
                rt::NumberText(0.10000000000000002) + "]\t0\r\n[" +
                rt::NumberText(0.10000000000000002) + " - 9.00719925474099E+15]\t1\r\n[" +
                "9.00719925474099E+15 - 9.00719925474099E+15]\t0\r\n[9.00719925474099E+15 - " +
                "9.00719925474099E+15]\t0\r\n[9.00719925474099E+15 - 9.007199254741E+15]\t1\r\n",
            4, 0)},
    {"TheSameFormsInPairs", true, "0\n1\n1000\n", "0x10\t1 000\n1,5\t12 apples\n-\t-0\n",
     "\t[0 - 1]\t[1 - 1000]\r\n[0 - 1]\t1\t2\r\n[1 - 1000]\t0\t0\r\n\r\n" + kRowsNote + kEdgesNote +
         Totals(3, 0)},
};

class NumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumberTest, ReadsAsThePlainJobReads) {
    const NumberCase& c = GetParam();
    TempFolder folder;
    folder.write("bins.txt", c.bins);
    folder.write("Data.txt", c.data);
    folder.write("Results.txt", kOldReport);
    Settings settings;
    settings.pairs = c.pairs;
    const Reference expected = c.report ? Completed({{"Results.txt", *c.report}})
                                        : EndedOn(rt::kOverflow, {"Results.txt"});

    const Reference plain = RunPlain(Program::Binning, folder.path(), settings);
    EXPECT_EQ(plain.result, expected.result);
    EXPECT_EQ(plain.error, expected.error);
    EXPECT_EQ(plain.outputs, expected.outputs);
    CheckRun(Program::Binning, folder.path(), settings, expected);
}

INSTANTIATE_TEST_SUITE_P(AtTheEdges, NumberTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Splitword's threshold at the edges ---------------------------------------------------------

struct ThresholdCase {
    const char* name;
    const char* text;  // typed into the threshold box
    Result result;
};

void PrintTo(const ThresholdCase& c, std::ostream* out) {
    *out << c.name;
}

const ThresholdCase kThresholdCases[] = {
    {"TooLargeANumber", "1e309", Result::Ended},
    {"LargestNumbers", "1e308", Result::Completed},
    // The box shows the largest double with 15 digits cut toward zero, since rounded up they
    // would pass the largest double and no longer read as a number.
    {"LargestDouble", "1.7976931348623157e308", Result::Completed},
    {"Negative", "-1e308", Result::Completed},
    {"MinusZero", "-0", Result::Completed},
    {"Denormal", "4.9e-324", Result::Completed},
    {"Hexadecimal", "0x10", Result::Completed},
    {"Comma", "1,5", Result::Completed},
    {"LoneMinus", "-", Result::Completed},
    {"BlanksInside", " 1 0 ", Result::Completed},
};

class ThresholdTest : public ::testing::TestWithParam<ThresholdCase> {};

TEST_P(ThresholdTest, ReadsAsThePlainJobReads) {
    const ThresholdCase& c = GetParam();
    TempFolder folder;
    folder.write("in.txt", "a\nb\nab\nblack\nbird\nblackbird\n\nabcdefghij\nabcdefghijk\n");
    folder.write("out.txt", "an earlier list\r\n");
    Settings settings;
    settings.threshold = c.text;
    EXPECT_EQ(CheckAgainstPlain(Program::Splitword, folder.path(), settings), c.result);
}

INSTANTIATE_TEST_SUITE_P(SplitwordThreshold, ThresholdTest, ::testing::ValuesIn(kThresholdCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Counts near the 32-bit limit
// ----------------------------------------------------------------

struct CountCase {
    const char* name;
    bool pairs;
    std::int32_t firstTotal;  // where TotalData starts
    std::string data;
    std::optional<std::string> totals;  // the report's last two lines, or nothing for an overflow
    int repeat = 1;                     // Data.txt holds `data` this many times
};

void PrintTo(const CountCase& c, std::ostream* out) {
    *out << c.name;
}

constexpr std::int32_t kMax = 2147483647;

// 9 MiB of the line "5": more than Binning counts in one piece, so it counts two halves side by
// side and adds them up.
constexpr int kNineMegabyteLines = (9 << 20) / 2;

const CountCase kCountCases[] = {
    {"ReachesTheLimit", false, kMax - 1, "5\n\n   \n", Totals(kMax, 0)},
    {"PassesTheLimit", false, kMax - 1, "5\n6\n", std::nullopt},
    {"StaysAtTheLimitWithBlankLines", false, kMax, "\n  \n", Totals(kMax, 0)},
    {"PassesTheLimitFromIt", false, kMax, "25\n", std::nullopt},
    {"PairsReachTheLimit", true, kMax - 1, "5\t5\n", Totals(kMax, 0)},
    {"PairsPassTheLimit", true, kMax - 1, "5\t5\n25\t25\n", std::nullopt},
    {"TwoHalvesReachTheLimit", false, kMax - kNineMegabyteLines, "5\n", Totals(kMax, 0),
     kNineMegabyteLines},
    {"TwoHalvesPassTheLimit", false, kMax - kNineMegabyteLines + 1, "5\n", std::nullopt,
     kNineMegabyteLines},
};

class CountTest : public ::testing::TestWithParam<CountCase> {};

TEST_P(CountTest, PassingTheLimitIsAnOverflowNeverAWrap) {
    const CountCase& c = GetParam();
    TempFolder folder;
    folder.write("bins.txt", "0\n10\n20\n");
    std::string data;
    data.reserve(c.data.size() * static_cast<std::size_t>(c.repeat));
    for (int i = 0; i < c.repeat; ++i) data += c.data;
    folder.write("Data.txt", data);
    folder.write("Results.txt", kOldReport);
    const Snapshot before = TakeSnapshot(folder.path());

    ScriptedPlatform platform;
    binning::BoxEvents events(platform);
    binning::Options options;
    options.firstTotal = c.firstTotal;
    options.mode = c.pairs ? binning::Mode::PairsOfValues : binning::Mode::SingleValues;
    bool ended = false;
    try {
        binning::Run(folder.path(), options, events);
    } catch (const binning::RunEnded&) {
        ended = true;
    }

    for (const std::string& change : ChangesBesides(before, folder.path(), {"Results.txt"}))
        ADD_FAILURE() << change;
    if (c.totals) {
        EXPECT_FALSE(ended);
        EXPECT_TRUE(platform.boxes.empty());
        const std::string report = folder.read("Results.txt");
        ASSERT_GE(report.size(), c.totals->size());
        EXPECT_EQ(report.substr(report.size() - c.totals->size()), *c.totals);
    } else {
        EXPECT_TRUE(ended);
        ASSERT_EQ(platform.boxes.size(), 1u);
        EXPECT_TRUE(IsProgramErrorBox(platform.boxes[0].text)) << platform.boxes[0].text;
        EXPECT_EQ(platform.boxes[0].buttons, rt::Buttons::Ok);
        EXPECT_EQ(ChangeOf(before, folder.path(), "Results.txt"), "");
    }
}

INSTANTIATE_TEST_SUITE_P(TotalData, CountTest, ::testing::ValuesIn(kCountCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct CounterCase {
    const char* name;
    std::int32_t start;
    std::int64_t add;                    // 1 through ++, otherwise through +=
    std::optional<std::int32_t> result;  // nothing: error 6, the value unchanged
};

void PrintTo(const CounterCase& c, std::ostream* out) {
    *out << c.name;
}

const CounterCase kCounterCases[] = {
    {"StepToTheLimit", kMax - 1, 1, kMax},
    {"StepPastTheLimit", kMax, 1, std::nullopt},
    {"AddToTheLimit", kMax - 5, 5, kMax},
    {"AddPastTheLimit", kMax - 5, 6, std::nullopt},
    {"AddTheWholeRange", 0, kMax, kMax},
    {"AddNothingAtTheLimit", kMax, 0, kMax},
    {"AddWhatWouldWrapToTheStart", 0, std::int64_t{1} << 32, std::nullopt},
    {"AddWhatWouldWrapToOne", 1, std::int64_t{1} << 32, std::nullopt},
    {"AddWhatWouldWrapNegative", 1, kMax, std::nullopt},
};

class CounterTest : public ::testing::TestWithParam<CounterCase> {};

TEST_P(CounterTest, FailsWithError6InsteadOfWrapping) {
    const CounterCase& c = GetParam();
    rt::Counter32 counter(c.start);
    std::optional<int> error;
    try {
        if (c.add == 1) {
            ++counter;
        } else {
            counter += c.add;
        }
    } catch (const rt::RuntimeError& e) {
        error = e.number();
    }
    if (c.result) {
        EXPECT_FALSE(error);
        EXPECT_EQ(counter.value(), *c.result);
    } else {
        EXPECT_EQ(error, rt::kOverflow);
        EXPECT_EQ(counter.value(), c.start);
    }
}

INSTANTIATE_TEST_SUITE_P(Counter32, CounterTest, ::testing::ValuesIn(kCounterCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace badinput
