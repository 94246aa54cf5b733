// The block-wise counting of Data.txt against the plain transcription, which reads one line at a
// time and scans the bins in order: the same Results.txt byte for byte, or the same error, for
// every block size and every split into two halves.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "binning_job.h"
#include "bins.h"
#include "counter.h"
#include "data_counting.h"
#include "input_file.h"
#include "reference.h"
#include "runtime_error.h"
#include "scripted_platform.h"
#include "temp_folder.h"

namespace {

using binning::Mode;

struct Failed {
    int number;
};

// Ends the run at the first failure, noting how many there were.
class StopAtFirstFailure : public rt::RunEvents {
  public:
    int calls = 0;
    void failed(const rt::RuntimeError& error) override {
        ++calls;
        throw Failed{error.number()};
    }
};

// "ok" and Results.txt, or "error:<number>".
std::string JobOutcome(const testing_support::TempFolder& folder, Mode mode,
                       binning::Options settings) {
    std::filesystem::remove(folder / "Results.txt");
    StopAtFirstFailure failures;
    settings.mode = mode;
    try {
        binning::Run(folder.path(), settings, failures);
    } catch (const Failed& failed) {
        EXPECT_EQ(failures.calls, 1);
        return "error:" + std::to_string(failed.number);
    }
    return "ok\n" + folder.read("Results.txt");
}

std::string PlainOutcome(const testing_support::TempFolder& folder, Mode mode) {
    std::filesystem::remove(folder / "Results.txt");
    try {
        reference::Binning(folder.path(), mode == Mode::PairsOfValues);
    } catch (const rt::RuntimeError& error) {
        return "error:" + std::to_string(error.number());
    }
    return "ok\n" + folder.read("Results.txt");
}

binning::Options Settings(std::size_t blockSize, std::uint64_t parallelThreshold,
                          bool holdLongLines = true, Mode mode = Mode::SingleValues) {
    binning::Options settings;
    settings.mode = mode;
    settings.blockSize = blockSize;
    settings.parallelThreshold = parallelThreshold;
    // Lines longer than a block read as they come, or held whole.
    if (!holdLongLines) settings.longestLineHeld = 0;
    return settings;
}

// Every block size from 4 to 16 (a block boundary at every place of a short line), some larger
// ones, each counted in one piece and in two halves; lines longer than a block held whole or
// read as they come.
void ExpectSameAsPlainEverywhere(const testing_support::TempFolder& folder, Mode mode,
                                 const std::string& label) {
    const std::string expected = PlainOutcome(folder, mode);
    std::vector<std::size_t> blocks;
    for (std::size_t b = 4; b <= 16; ++b) blocks.push_back(b);
    for (const std::size_t b : {23, 31, 40, 64, 1 << 20}) blocks.push_back(b);
    for (const std::size_t block : blocks) {
        for (const std::uint64_t threshold : {std::uint64_t{0}, std::uint64_t{1} << 40}) {
            for (const bool hold : {true, false}) {
                ASSERT_EQ(JobOutcome(folder, mode, Settings(block, threshold, hold)), expected)
                    << label << ", block " << block << ", threshold " << threshold
                    << (hold ? "" : ", long lines read as they come");
            }
        }
    }
}

// ---- Lines of every kind ------------------------------------------------------------------------

struct LinesCase {
    const char* name;
    std::string data;
};

class Lines : public ::testing::TestWithParam<LinesCase> {};

TEST_P(Lines, CountAsThePlainReadingInBothModes) {
    testing_support::TempFolder folder;
    folder.write("bins.txt", "-1000\n-1\n-0.5\n0\n0.1\n0.3\n1\n5\n12\n1000\n1E+20\n");
    folder.write("Data.txt", GetParam().data);
    ExpectSameAsPlainEverywhere(folder, Mode::SingleValues, "single");
    ExpectSameAsPlainEverywhere(folder, Mode::PairsOfValues, "pairs");
}

const std::string kLongBlanks(150, ' ');

INSTANTIATE_TEST_SUITE_P(
    Cases, Lines,
    ::testing::Values(
        LinesCase{"CrLf", "1\r\n2.5\r\n-3\r\n"}, LinesCase{"Lf", "1\n2.5\n-3\n"},
        LinesCase{"LoneCr", "1\r2.5\r-3\r"},
        LinesCase{"MixedLineEnds", "1\r\n2\n3\r4\r\n\r\n5\n\r6"},
        LinesCase{"CrBeforeCrLf", "1\r\r\n2\r\r\r\n3"}, LinesCase{"LfCr", "1\n\r2\n\r3\n\r"},
        LinesCase{"NoFinalLineEnd", "1\r\n2"}, LinesCase{"FinalCr", "1\r\n2\r"},
        LinesCase{"ByteOrderMark",
                  "\xEF\xBB\xBF"
                  "5\r\n6\r\n"},
        LinesCase{"ByteOrderMarkAlone", "\xEF\xBB\xBF"},
        LinesCase{"HalfAByteOrderMark",
                  "\xEF\xBB"
                  "5\n"},
        LinesCase{"ByteOrderMarkInside",
                  "5\n\xEF\xBB\xBF"
                  "6\n"},
        LinesCase{"BlankLines", "\r\n\r\n1\r\n\r\n\n\r\r\n2\r\n\r\n"},
        LinesCase{"LinesOfSpaces", "   \r\n 1 \r\n     \n  2.5   \r  \r"},
        LinesCase{"TabOnly", "\t\r\n\t\t\n"},
        LinesCase{"TabsAroundNumbers", "\t5\n5\t\n 5 \t 7 \n5\t7\t9\n\t\t5\n5\t 7 \t\r\n"},
        LinesCase{"WordsAfterNumbers", "12 apples\r\napples\r\n3x\r\n-\r\n.\r\n-.\r\n"},
        LinesCase{"BlanksInsideNumbers", "1 000\r\n- 5\r\n1 . 5\r\n12 34\t5 6\r\n"},
        LinesCase{"Exponents", "1e3\r\n1E-2\r\n2.5d1\r\n7e\r\n7e+\r\n1 e 2\r\n-1E+2\t3e1\r\n"},
        LinesCase{"NegativeZero", "-0\r\n-0.0\r\n0\r\n-0\t-0\r\n"},
        LinesCase{"PointsAtTheEnds", ".5\r\n5.\r\n-.5\r\n-5.\r\n1.2.3\r\n1..2\r\n"},
        LinesCase{"PlusSign", "+5\r\n+-5\r\n+.5\r\n"},
        LinesCase{"ManyDigits",
                  "1234567\n12345678\n123456789\n0.1234567\n0.12345678\n1234567.1234567\n"
                  "12345678.12345678\n9007199254740992\n9007199254740993\n"
                  "1234567890123456789\n12345678901234567890\n0.30000000000000004\n"},
        LinesCase{"ValuesOnCutoffs", "-1000\n-1\n-0.5\n0\n0.1\n0.3\n1\n5\n12\n1000\n1E+20\n"},
        LinesCase{"OddBytes", std::string("5\0\n\x80"
                                          "5\n5\xFF\n\xC3\xA9\n7\x7F\n",
                                          15)},
        LinesCase{"TooLargeForADouble", "1\r\n1e309\r\n2\r\n"},
        LinesCase{"TooLargeInTheSecondValue", "1\t2\r\n3\t1e400\r\n"},
        LinesCase{"ManyDigitsTooLarge", std::string(400, '9') + "\r\n"},
        LinesCase{"LongLines", kLongBlanks + "5" + kLongBlanks + "\r\n" + std::string(300, '7') +
                                   "\r\n" + kLongBlanks + "\t" + kLongBlanks + "1\r\n" + "0." +
                                   std::string(200, '0') + "1\r\n"},
        // Numbers of more digits than decide a double's rounding, their point and exponent far
        // from their start.
        LinesCase{"HalfwayDecidedByAFarDigit",
                  "9007199254740993." + std::string(1000, '0') + "1\r\n9007199254740993." +
                      std::string(1000, '0') + "\r\n-9007199254740993" + std::string(900, ' ') +
                      "1\t" + "9007199254740995" + std::string(900, '0') + "e-900\r\n"},
        LinesCase{"PointAndExponentFarAway",
                  "0." + std::string(1000, '0') + "5e1000\r\n" + std::string(1000, '0') + "5\t1" +
                      std::string(1000, '3') + "e-1000\r\n7e" + std::string(1000, '0') + "2\r\n1" +
                      std::string(1000, '0') + "e-997\r\n"},
        LinesCase{"FarBeyondADouble", "0." + std::string(1000, '0') + "5\r\n-0." +
                                          std::string(1000, '0') + "5e10\r\n5e-" +
                                          std::string(30, '9') + "\r\n"},
        LinesCase{"ManyZerosTooLarge", "5" + std::string(999, '0') + "\r\n"},
        LinesCase{"LongLinesOfOtherBytes",
                  "5" + std::string(1000, '\0') + "\r\n" + std::string(500, ' ') + "\t" +
                      std::string(500, ' ') + "\r\n" + std::string(1000, ' ') + "\r\n" + "1\t2\t" +
                      std::string(1000, '3') + "\r" + std::string(1000, '\t') + "\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Random files -------------------------------------------------------------------------------

TEST(RandomFiles, CountAsThePlainReadingForEveryBlockAndSplit) {
    std::mt19937 random(20261207);
    const std::string alphabet = "0123456789.- \t\r\nEe+a";
    const std::string digits = "0123456789";
    std::uniform_int_distribution<std::size_t> letter(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> length(0, 120);
    std::uniform_int_distribution<std::size_t> block(4, 64);
    testing_support::TempFolder folder;
    folder.write("bins.txt", "-5\n-1\n0\n0.5\n1\n2\n9\n55\n");
    for (int round = 0; round < 100; ++round) {
        std::string data;
        const int n = length(random);
        for (int i = 0; i < n; ++i) {
            // Mostly digits and line ends, so that numbers of every length come up.
            const auto roll = random() % 4;
            if (roll == 0)
                data += "\r\n";
            else if (roll == 1)
                data += digits[random() % 10];
            else
                data += alphabet[letter(random)];
        }
        folder.write("Data.txt", data);
        for (const Mode mode : {Mode::SingleValues, Mode::PairsOfValues}) {
            const std::string expected = PlainOutcome(folder, mode);
            for (int k = 0; k < 4; ++k) {
                const std::uint64_t threshold = random() % (data.size() + 2);
                const std::size_t b = block(random);
                const bool hold = k % 2 == 0;
                ASSERT_EQ(JobOutcome(folder, mode, Settings(b, threshold, hold)), expected)
                    << "data \"" << data << "\", block " << b << ", threshold " << threshold
                    << (hold ? "" : ", long lines read as they come");
            }
        }
    }
}

TEST(RandomFiles, PlainNumbersOnCutoffsLandInTheSameBins) {
    // Cutoffs and values written alike: a value read one bit off its cutoff changes bins.
    std::mt19937_64 random(77);
    testing_support::TempFolder folder;
    std::vector<std::string> texts;
    for (int i = 0; i < 1500; ++i) {
        // Up to 9 digits before and after the point, and now and then up to 19 in all.
        const bool longer = i % 10 == 0;
        const std::size_t whole = random() % (longer ? 20 : 10);
        const std::size_t places = random() % (longer ? 20 : 10);
        std::string text = random() % 2 ? "-" : "";
        for (std::size_t k = 0; k < whole; ++k) text += static_cast<char>('0' + random() % 10);
        if (places > 0 || random() % 2) text += '.';
        for (std::size_t k = 0; k < places; ++k) text += static_cast<char>('0' + random() % 10);
        if (whole + places > 0) texts.push_back(text);
    }
    std::vector<std::pair<double, std::string>> sorted;
    for (const std::string& t : texts) sorted.emplace_back(binning::NumberValue(t), t);
    std::sort(sorted.begin(), sorted.end());
    std::string bins;
    for (const auto& [value, text] : sorted) bins += text + "\r\n";
    std::string data;
    for (const std::string& t : texts) data += t + "\r\n" + t + "\t" + t + "\r\n";
    folder.write("bins.txt", bins);
    folder.write("Data.txt", data);
    for (const Mode mode : {Mode::SingleValues, Mode::PairsOfValues}) {
        EXPECT_EQ(JobOutcome(folder, mode, Settings(64, 0)), PlainOutcome(folder, mode));
        EXPECT_EQ(JobOutcome(folder, mode, {}), PlainOutcome(folder, mode));
    }
}

// ---- The two halves -----------------------------------------------------------------------------

struct MiddleCase {
    const char* name;
    std::string data;
    std::uint64_t middle;
};

class Middle : public ::testing::TestWithParam<MiddleCase> {};

TEST_P(Middle, IsTheFirstLineStartAfterHalfTheFile) {
    testing_support::TempFolder folder;
    folder.write("Data.txt", GetParam().data);
    const rt::InputFile file(folder / "Data.txt");
    EXPECT_EQ(binning::MiddleLineStart(file), GetParam().middle);

    folder.write("bins.txt", "0\n5\n10\n100\n");
    for (const std::size_t block : {std::size_t{4}, std::size_t{5}, std::size_t{1} << 20}) {
        for (const Mode mode : {Mode::SingleValues, Mode::PairsOfValues}) {
            EXPECT_EQ(JobOutcome(folder, mode, Settings(block, 0)), PlainOutcome(folder, mode))
                << block;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Middle,
    ::testing::Values(
        // Sizes 8, 7, 6...: the middle is byte size / 2.
        MiddleCase{"AfterAnLf", "11\n22\n33", 6}, MiddleCase{"AfterACrLf", "1\r\n2\r\n33", 6},
        MiddleCase{"NotBetweenCrAndLf", "12\r\n3\r\n", 4},
        MiddleCase{"AfterALoneCr", "12\r34\r", 3}, MiddleCase{"RightOnTheMiddle", "123\n4567", 4},
        MiddleCase{"FurtherOn", "1\n2345678\n9", 10}, MiddleCase{"FinalCrIsTheEnd", "1234\r", 5},
        MiddleCase{"NoLineEndAfterTheMiddle", "1\n23456789", 10}, MiddleCase{"OneByte", "5", 1},
        MiddleCase{"OneLineEnd", "\n", 1},
        MiddleCase{"ByteOrderMarkStaysInTheFirstHalf", "\xEF\xBB\xBF\n5", 4},
        MiddleCase{"BlankLinesOnBothSides", "\r\n\r\n\r\n\r\n5\r\n", 6}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Failures while counting --------------------------------------------------------------------

TEST(CountingFailures, ANumberTooLargeReachesTheHandlerOncePerPass) {
    const struct {
        const char* name;
        std::string data;
    } cases[] = {
        {"first half", "1e309\r\n" + std::string(40, '1') + "\r\n2\r\n3\r\n4\r\n"},
        {"second half", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n1e309\r\n"},
        {"both halves", "1e309\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n-1e309\r\n"},
    };
    for (const auto& c : cases) {
        for (const std::uint64_t threshold : {std::uint64_t{0}, std::uint64_t{1} << 40}) {
            testing_support::TempFolder folder;
            folder.write("bins.txt", "0\n10\n");
            folder.write("Data.txt", c.data);
            folder.write("Results.txt", "old report");
            StopAtFirstFailure failures;
            EXPECT_THROW(binning::Run(folder.path(), Settings(4, threshold), failures), Failed)
                << c.name;
            EXPECT_EQ(failures.calls, 1) << c.name;
            EXPECT_EQ(folder.read("Results.txt"), "old report") << c.name;
        }
    }
}

TEST(CountingFailures, TheProgramErrorBoxShowsForANumberTooLargeInEitherHalf) {
    for (const std::uint64_t threshold : {std::uint64_t{0}, std::uint64_t{1} << 40}) {
        testing_support::TempFolder folder;
        folder.write("bins.txt", "0\n10\n");
        folder.write("Data.txt", "1\r\n2\r\n3\r\n4\r\n5\t1e309\r\n");
        testing_support::ScriptedPlatform platform;
        binning::BoxEvents events(platform);
        EXPECT_THROW(
            binning::Run(folder.path(), Settings(4, threshold, true, Mode::PairsOfValues), events),
            binning::RunEnded);
        ASSERT_EQ(platform.boxes.size(), 1u);
        EXPECT_EQ(platform.boxes[0].text, binning::ProgramErrorMessage());
        EXPECT_FALSE(folder.exists("Results.txt"));
    }
}

// Mends Data.txt on the first failure and has the counting carried out again.
class MendAndRetry : public rt::RunEvents {
  public:
    MendAndRetry(const testing_support::TempFolder& folder, std::string mended)
        : folder_(folder), mended_(std::move(mended)) {}
    std::vector<int> numbers;
    void failed(const rt::RuntimeError& error) override {
        numbers.push_back(error.number());
        if (numbers.size() > 1) throw Failed{error.number()};
        folder_.write("Data.txt", mended_);
    }

  private:
    const testing_support::TempFolder& folder_;
    std::string mended_;
};

TEST(CountingFailures, CountingCarriedOutAgainStartsFromZero) {
    // The values before the faulty line were counted once already when the retry comes.
    const std::string faulty = "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n1e309\r\n";
    const std::string mended = "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n11\r\n";
    for (const std::size_t block : {std::size_t{4}, std::size_t{1} << 20}) {
        for (const std::uint64_t threshold : {std::uint64_t{0}, std::uint64_t{1} << 40}) {
            testing_support::TempFolder folder;
            folder.write("bins.txt", "0\n5\n10\n");
            folder.write("Data.txt", faulty);
            MendAndRetry failures(folder, mended);
            EXPECT_EQ(binning::Run(folder.path(), Settings(block, threshold), failures),
                      binning::Outcome::Completed);
            EXPECT_EQ(failures.numbers, std::vector<int>{6});
            EXPECT_EQ(folder.read("Results.txt"),
                      "[0 - 5]\t5\r\n[5 - 10]\t1\r\n\r\n"
                      "Forms at bin edges are assigned to the lower bin.\r\n"
                      "Total data:  7\r\nTotal data not in any bin:  1\r\n");
        }
    }
}

TEST(CountingFailures, ATotalPastTheLimitIsAnErrorWhenCountedInTwoHalves) {
    testing_support::TempFolder folder;
    folder.write("bins.txt", "0\n10\n");
    folder.write("Data.txt", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n");
    binning::Options settings = Settings(4, 0);
    settings.firstTotal = rt::Counter32::kMax - 6;
    EXPECT_NE(JobOutcome(folder, Mode::SingleValues, settings).find("Total data:  2147483647\r\n"),
              std::string::npos);
    settings.firstTotal = rt::Counter32::kMax - 5;
    EXPECT_EQ(JobOutcome(folder, Mode::SingleValues, settings), "error:6");
    EXPECT_EQ(JobOutcome(folder, Mode::PairsOfValues, settings), "error:6");
}

TEST(DataFileTest, APipeIsRefusedWithoutWaitingForAWriter) {
    // A pipe could block the program forever, or feed it without end: it is no file of data.
#if defined(_WIN32)
    GTEST_SKIP() << "no FIFO in a folder on Windows (its named pipes live apart from files)";
#else
    testing_support::TempFolder folder;
    folder.write("bins.txt", "0\n5\n10\n");
    ASSERT_EQ(::mkfifo((folder / "Data.txt").c_str(), 0600), 0);
    EXPECT_EQ(JobOutcome(folder, Mode::SingleValues, Settings(4, 0)), "error:70");
#endif
}

}  // namespace
