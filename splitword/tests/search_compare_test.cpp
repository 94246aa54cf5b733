// The indexed search against a direct transcription of the plain scan: every word against every
// list word as a prefix, the rest looked up by a scan from the top of the list. Random lists
// over a few letters (one of two bytes, and the two bytes of that letter alone) make duplicates,
// empty words and splits that would cut a letter in two.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "splitword_job.h"
#include "temp_folder.h"

namespace {

using testing_support::TempFolder;

// The byte length of the character at `pos`, decoded the long way: the code point is built and
// then checked for overlong forms, surrogates and the upper limit.
std::size_t ReferenceCharacterSize(const std::string& text, std::size_t pos) {
    const auto byte = [&](std::size_t k) {
        return static_cast<unsigned>(static_cast<unsigned char>(text[k]));
    };
    const unsigned lead = byte(pos);
    std::size_t size = 0;
    unsigned codePoint = 0;
    unsigned smallest = 0;
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) {
        size = 2, codePoint = lead & 0x1F, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        size = 3, codePoint = lead & 0x0F, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        size = 4, codePoint = lead & 0x07, smallest = 0x10000;
    } else {
        return 1;
    }
    if (pos + size > text.size()) return 1;
    for (std::size_t k = 1; k < size; ++k) {
        if ((byte(pos + k) & 0xC0) != 0x80) return 1;
        codePoint = (codePoint << 6) | (byte(pos + k) & 0x3F);
    }
    if (codePoint < smallest || codePoint > 0x10FFFF) return 1;
    if (codePoint >= 0xD800 && codePoint <= 0xDFFF) return 1;
    return size;
}

std::vector<std::string> Characters(const std::string& text) {
    std::vector<std::string> characters;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t size = ReferenceCharacterSize(text, pos);
        characters.push_back(text.substr(pos, size));
        pos += size;
    }
    return characters;
}

std::string Left(const std::string& text, std::size_t n) {
    std::string left;
    const auto characters = Characters(text);
    for (std::size_t k = 0; k < n && k < characters.size(); ++k) left += characters[k];
    return left;
}

std::string Mid(const std::string& text, std::size_t from) {
    std::string rest;
    const auto characters = Characters(text);
    for (std::size_t k = from; k < characters.size(); ++k) rest += characters[k];
    return rest;
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Reads the lines as the run does and scans the list as the plain search does.
std::string PlainScan(const std::vector<std::string>& lines, double threshold) {
    std::vector<std::string> words{""};  // entry 0 holds nothing
    std::vector<std::size_t> lengths{0};
    for (const std::string& line : lines) {
        const std::string candidate = Trim(line.substr(0, line.find('\t')));
        const std::size_t length = Characters(candidate).size();
        if (threshold > static_cast<double>(length)) continue;
        words.push_back(candidate);
        lengths.push_back(length);
    }
    const std::size_t count = words.size() - 1;
    std::string out = "Possible compound\tFirst member\tSecond member\r\n";
    for (std::size_t i = 1; i <= count; ++i) {
        const std::string& w = words[i];
        for (std::size_t l = 1; l <= count; ++l) {
            if (Left(w, lengths[l]) != words[l]) continue;
            const std::string r = Mid(w, lengths[l]);
            if (threshold > static_cast<double>(Characters(r).size())) continue;
            for (std::size_t j = 1; j <= count; ++j) {
                if (words[j] == r) {
                    out += w + "\t" + words[l] + "\t" + words[j] + "\r\n";
                    break;
                }
            }
        }
    }
    return out;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    return text;
}

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

std::string RunJob(TempFolder& folder, const std::vector<std::string>& lines, double threshold,
                   const splitword::Tuning& tuning) {
    // New files each time: emptying a file that holds data is slow on some file systems.
    for (const char* name : {"in.txt", "Debug.txt", "out.txt"})
        std::filesystem::remove(folder / name);
    folder.write("in.txt", Joined(lines));
    splitword::Progress quiet;
    splitword::Run(folder.path(), threshold, quiet, tuning);
    return folder.read("out.txt");
}

TEST(SearchCompare, SameLinesAsThePlainScanOnRandomLists) {
    const std::vector<std::string> letters = {"a", "b", "\xC3\xA9", "\xC3", "\xA9"};
    const std::vector<double> thresholds = {-1, 0, 1, 2, 2.5, 3};
    std::mt19937 random(20240607);
    TempFolder folder;
    int withFinds = 0;
    for (int round = 0; round < 4000; ++round) {
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
        const std::string expected = PlainScan(lines, threshold);
        ASSERT_EQ(RunJob(folder, lines, threshold, tuning), expected)
            << "round " << round << ", threshold " << threshold << ", threads "
            << tuning.searchThreads << ", block " << tuning.blockBytes << ", segment "
            << tuning.segmentWords << ", list " << testing::PrintToString(lines);
        if (expected.find('\n') + 1 < expected.size()) ++withFinds;
    }
    // The lists must exercise the search, not only its empty case.
    EXPECT_GT(withFinds, 1300);
}

}  // namespace

namespace {

struct FixedList {
    const char* name;
    std::vector<std::string> lines;
    double threshold;
};

class FixedLists : public ::testing::TestWithParam<FixedList> {};

TEST_P(FixedLists, SameLinesAsThePlainScanWithEveryTuning) {
    const FixedList& list = GetParam();
    const std::string expected = PlainScan(list.lines, list.threshold);
    ASSERT_NE(expected.find('\n') + 1, expected.size()) << "the list must give finds";
    TempFolder folder;
    for (const splitword::Tuning& tuning : kTunings) {
        EXPECT_EQ(RunJob(folder, list.lines, list.threshold, tuning), expected)
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
