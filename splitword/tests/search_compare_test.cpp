// The indexed search against the plain scan of reference/: every word against every list word as
// a prefix, the rest looked up by a scan from the top of the list. Random lists over a few
// letters (one of two bytes, and the two bytes of that letter alone) make duplicates, empty words
// and splits that would cut a letter in two.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "lines.h"
#include "reference.h"
#include "splitword_job.h"
#include "temp_folder.h"

namespace {

using testing_support::Lines;
using testing_support::TempFolder;

// The ways of carrying out the search: each must write the same bytes. Blocks of one byte and
// of seven make every line cross block boundaries (without search threads, so that the
// hand-over of each block costs no thread switch); small blocks and segments of a few words
// make the search threads hand over many blocks of many segments, out of order.
const std::vector<splitword::Tuning> kTunings = {{2, std::size_t{1} << 20, 4096},
                                                 {2, 64, 3},
                                                 {0, 1, 4096},
                                                 {0, 7, 4096},
                                                 {3, 200, 5},
                                                 {1, 64, 2},
                                                 {2, 4096, 1}};

// Removes the outputs, so that each run writes new files: emptying a file that holds data is slow
// on some file systems.
void RemoveOutputs(const TempFolder& folder) {
    for (const char* name : {"Debug.txt", "out.txt"}) std::filesystem::remove(folder / name);
}

// Writes the list as in.txt and returns out.txt of the plain scan on it.
std::string PlainScan(const TempFolder& folder, const std::vector<std::string>& lines,
                      double threshold) {
    RemoveOutputs(folder);
    folder.write("in.txt", Lines(lines));
    reference::Splitword(folder.path(), threshold);
    return folder.read("out.txt");
}

// out.txt of the job on the list that PlainScan wrote.
std::string RunJob(const TempFolder& folder, double threshold, const splitword::Tuning& tuning) {
    RemoveOutputs(folder);
    rt::RunEvents quiet;
    splitword::Options options;
    options.threshold = threshold;
    options.tuning = tuning;
    splitword::Run(folder.path(), options, quiet);
    return folder.read("out.txt");
}

TEST(SearchCompare, SameLinesAsThePlainScanOnRandomLists) {
    const std::vector<std::string> letters = {"a", "b", "\xC3\xA9", "\xC3", "\xA9"};
    const std::vector<double> thresholds = {-1, 0, 1, 2, 2.5, 3};
    std::mt19937 random(20240607);
    TempFolder folder;
    int withFinds = 0;
#if defined(_WIN32)
    // Under wine each run's file and thread calls take some 30 ms: a tenth of the lists.
    constexpr int kRounds = 400;
#else
    constexpr int kRounds = 4000;
#endif
    for (int round = 0; round < kRounds; ++round) {
        const int alphabet = 2 + static_cast<int>(random() % (letters.size() - 1));
        const double threshold = thresholds[random() % thresholds.size()];
        std::vector<std::string> lines(random() % (round % 10 == 0 ? 150 : 25));
        for (std::string& line : lines) {
            const int size = static_cast<int>(random() % 6);
            for (int k = 0; k < size; ++k) line += letters[random() % alphabet];
            if (random() % 8 == 0) line = " " + line + " ";
            if (random() % 8 == 0) line += "\tgloss";
        }
        const splitword::Tuning& tuning =
            kTunings[static_cast<std::size_t>(round) % kTunings.size()];
        const std::string expected = PlainScan(folder, lines, threshold);
        ASSERT_EQ(RunJob(folder, threshold, tuning), expected)
            << "round " << round << ", threshold " << threshold << ", threads "
            << tuning.searchThreads << ", block " << tuning.blockBytes << ", segment "
            << tuning.segmentWords << ", list " << testing::PrintToString(lines);
        if (expected.find('\n') + 1 < expected.size()) ++withFinds;
    }
    // The lists must exercise the search, not only its empty case.
    EXPECT_GT(withFinds, kRounds / 3);
}

// The size of out.txt that a run which only measures works out, writing nothing: every list is
// counted.
std::optional<splitword::OutputSize> Measured(const TempFolder& folder, double threshold,
                                              const splitword::Tuning& tuning = {}) {
    rt::RunEvents events;
    splitword::Options options;
    options.threshold = threshold;
    options.tuning = tuning;
    options.measureOnly = true;
    return splitword::Run(folder.path(), options, events).measured;
}

// The lines and bytes of out.txt, counted before it is written, are those the plain scan writes:
// on lists of a few short words, most of them repeated many times.
TEST(SearchCompare, SizeCountedBeforehandIsThatOfThePlainScan) {
    const std::vector<std::string> letters = {"a", "b", "\xC3\xA9", "\xC3"};
    const std::vector<double> thresholds = {0, 1, 2};
    std::mt19937 random(20261208);
    TempFolder folder;
    for (int round = 0; round < 300; ++round) {
        const double threshold = thresholds[random() % thresholds.size()];
        std::vector<std::string> distinct(1 + random() % 6);
        for (std::string& word : distinct) {
            const int size = static_cast<int>(random() % 5);
            for (int k = 0; k < size; ++k) word += letters[random() % letters.size()];
        }
        std::vector<std::string> lines(random() % 300);
        for (std::string& line : lines) line = distinct[random() % distinct.size()];
        const std::string expected = PlainScan(folder, lines, threshold);
        const splitword::Tuning& tuning =
            kTunings[static_cast<std::size_t>(round) % kTunings.size()];
        RemoveOutputs(folder);
        const auto size = Measured(folder, threshold, tuning);
        ASSERT_TRUE(size.has_value());
        const auto lineCount = std::count(expected.begin(), expected.end(), '\n');
        ASSERT_EQ(size->lines, static_cast<splitword::BigCount>(lineCount))
            << "round " << round << ", list " << testing::PrintToString(lines);
        ASSERT_EQ(size->bytes, expected.size()) << "round " << round;
        EXPECT_FALSE(folder.exists("Debug.txt"));
        EXPECT_FALSE(folder.exists("out.txt"));
    }
    // Beyond what any scan could write: each of 100,000 abab splits into ab and one of 100,000
    // ab, ten thousand million lines of 12 bytes after the header.
    std::string many;
    for (int k = 0; k < 100000; ++k) many += "ab\n";
    for (int k = 0; k < 100000; ++k) many += "abab\n";
    folder.write("in.txt", many);
    const auto size = Measured(folder, 2);
    ASSERT_TRUE(size.has_value());
    const splitword::BigCount finds = splitword::BigCount{10000000000};
    EXPECT_EQ(size->lines, finds + 1);
    EXPECT_EQ(size->bytes, finds * 12 + 46);
}

}  // namespace

namespace {

struct FixedList {
    const char* name;
    std::vector<std::string> lines;
    double threshold;
};

void PrintTo(const FixedList& list, std::ostream* os) {
    *os << list.name;
}

class FixedLists : public ::testing::TestWithParam<FixedList> {};

TEST_P(FixedLists, SameLinesAsThePlainScanWithEveryTuning) {
    const FixedList& list = GetParam();
    TempFolder folder;
    const std::string expected = PlainScan(folder, list.lines, list.threshold);
    ASSERT_NE(expected.find('\n') + 1, expected.size()) << "the list must give finds";
    for (const splitword::Tuning& tuning : kTunings) {
        EXPECT_EQ(RunJob(folder, list.threshold, tuning), expected)
            << "threads " << tuning.searchThreads << ", block " << tuning.blockBytes << ", segment "
            << tuning.segmentWords;
    }
}

// a, aa, ... up to twelve letters, each twice and out of order: the word of twelve letters has
// eleven splits whose first members interleave by position.
std::vector<std::string> RunsOfOneLetter() {
    std::vector<std::string> lines;
    for (int round = 0; round < 2; ++round) {
        for (int size = round == 0 ? 1 : 12; size >= 1 && size <= 12; size += round == 0 ? 1 : -1)
            lines.push_back(std::string(static_cast<std::size_t>(size), 'a'));
    }
    return lines;
}

// Members and compounds far longer than a line copied in one piece, and than the table of
// powers of the hash.
std::vector<std::string> LongWords() {
    std::string first, second;
    for (int k = 0; k < 700; ++k) first += static_cast<char>('a' + k % 26);
    for (int k = 0; k < 900; ++k) second += static_cast<char>('z' - k % 26);
    return {first, second, first + second, second, first + first, first};
}

// One word as first member of many compounds, written many times over.
std::vector<std::string> ManyCopies() {
    std::vector<std::string> lines;
    for (int k = 0; k < 300; ++k) lines.push_back("stem");
    for (int k = 0; k < 50; ++k) lines.push_back("stem" + std::to_string(100 + k));
    for (int k = 0; k < 50; ++k) lines.push_back(std::to_string(100 + k));
    return lines;
}

INSTANTIATE_TEST_SUITE_P(Lists, FixedLists,
                         ::testing::Values(FixedList{"RunsOfOneLetter", RunsOfOneLetter(), 1},
                                           FixedList{"LongWords", LongWords(), 2},
                                           FixedList{"ManyCopies", ManyCopies(), 2}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
