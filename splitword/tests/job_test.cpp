// The run without a window: reading in.txt, Debug.txt, the compound search and out.txt.
#include <gtest/gtest.h>
#if !defined(_WIN32)
#include <sys/resource.h>
#endif

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "lines.h"
#include "program_texts.h"
#include "runtime_error.h"
#include "splitword_job.h"
#include "temp_folder.h"
#include "unprivileged.h"

namespace {

using testing_support::Lines;
using testing_support::TempFolder;

const std::string& kHeader = testing_support::splitword_texts::kCompoundHeader;

// A run on `threshold` and `tuning`, its events going to `events`.
splitword::Result RunWith(const std::filesystem::path& folder, double threshold,
                          rt::RunEvents& events, const splitword::Tuning& tuning = {}) {
    splitword::Options options;
    options.threshold = threshold;
    options.tuning = tuning;
    return splitword::Run(folder, options, events);
}

// Records the progress calls.
struct RecordedProgress : rt::RunEvents {
    std::vector<std::string> calls;
    void progress(std::uint64_t index, std::uint64_t count) override {
        calls.push_back(std::to_string(index) + "/" + std::to_string(count));
    }
};

struct SearchCase {
    const char* name;
    std::string input;
    double threshold;
    std::vector<std::string> finds;  // out.txt after the header
};

class SearchCases : public ::testing::TestWithParam<SearchCase> {};

TEST_P(SearchCases, WritesTheFindsInOrder) {
    const SearchCase& c = GetParam();
    TempFolder folder;
    folder.write("in.txt", c.input);
    rt::RunEvents quiet;
    const auto result = RunWith(folder.path(), c.threshold, quiet);
    EXPECT_EQ(folder.read("out.txt"), kHeader + Lines(c.finds));
    EXPECT_EQ(result.findCount, static_cast<std::int64_t>(c.finds.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Lists, SearchCases,
    ::testing::Values(
        SearchCase{"Blackbird", "black\r\nbird\r\nblackbird\r\n", 2, {"blackbird\tblack\tbird"}},
        SearchCase{"LetterCaseCounts", "black\nbird\nBlackbird\n", 2, {}},
        SearchCase{"TwoSplitsInListOrder", "a\nab\nbc\nc\nabc\n", 1, {"abc\ta\tbc", "abc\tab\tc"}},
        SearchCase{"ThresholdDropsMember", "black\nbird\nblackbird\n", 5, {}},
        SearchCase{
            "DuplicateFirstMemberTwice", "ab\nab\nabab\n", 2, {"abab\tab\tab", "abab\tab\tab"}},
        SearchCase{"EmptyWordAtZero", "cat\n\n", 0, {"cat\tcat\t", "cat\t\tcat", "\t\t"}},
        SearchCase{"EmptyList", "", 2, {}},
        SearchCase{"FirstMembersMergedByPosition",
                   "ab\na\nab\nabc\nbc\nc\n",
                   1,
                   {"abc\tab\tc", "abc\ta\tbc", "abc\tab\tc"}},
        SearchCase{"CompoundTwiceSearchedTwice", "xy\nx\ny\nxy\n", 1, {"xy\tx\ty", "xy\tx\ty"}},
        SearchCase{"FractionalThreshold", "ab\nabc\nabcab\ncab\n", 2.5, {}},
        SearchCase{"SecondMemberOfThreeChars", "ab\nabc\nababc\n", 2.5, {}},
        SearchCase{"RestEqualsWholeWord", "ab\nabc\nababc\n", 2, {"ababc\tab\tabc"}},
        SearchCase{"MultiByteLetters", "Stra\nße\nStraße\n", 2, {"Straße\tStra\tße"}},
        // A lone lead byte is a character of its own only where no valid sequence starts.
        // Bytes C3 and A9 make one letter: neither alone is a first member of it.
        SearchCase{"LeadByteBeforeItsTail",
                   "\xC3\n\xA9\n\xC3\xA9\n\n",
                   0,
                   {"\xC3\t\xC3\t", "\xC3\t\t\xC3", "\xA9\t\xA9\t", "\xA9\t\t\xA9",
                    "\xC3\xA9\t\xC3\xA9\t", "\xC3\xA9\t\t\xC3\xA9", "\t\t"}},
        SearchCase{"LeadByteAlone", "\xC3\nx\n\xC3x\n", 1, {"\xC3x\t\xC3\tx"}},
        SearchCase{"TabGlossIgnored",
                   "black\tthe colour\nbird\tanimal\nblackbird\tanimal\n",
                   2,
                   {"blackbird\tblack\tbird"}}),
    [](const auto& info) { return std::string(info.param.name); });

struct ReadCase {
    const char* name;
    std::string input;
    double threshold;
    std::string debug;
};

class ReadCases : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadCases, ListsTheKeptWords) {
    const ReadCase& c = GetParam();
    TempFolder folder;
    folder.write("in.txt", c.input);
    rt::RunEvents quiet;
    RunWith(folder.path(), c.threshold, quiet);
    EXPECT_EQ(folder.read("Debug.txt"), c.debug);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ReadCases,
    ::testing::Values(ReadCase{"OneCharacterDropped", "a\nab\n", 2, "ab\r\n"},
                      ReadCase{"GlossAndBlanks", "  big cat \tgloss\tmore\n", 2, "big cat\r\n"},
                      ReadCase{"DuplicatesKept", "word\nword\n", 2, "word\r\nword\r\n"},
                      ReadCase{"CaseKept", "Word\n", 2, "Word\r\n"},
                      ReadCase{"BlankLinesAtZero", "a\n\n   \n\tgloss\n", 0, "a\r\n\r\n\r\n\r\n"},
                      ReadCase{"BlankLinesAtMinusOne", "\n", -1, "\r\n"},
                      ReadCase{"BlankLinesDroppedAtTwo", "\n \n", 2, ""},
                      ReadCase{"FractionNeedsNextWhole", "ab\nabc\n", 2.5, "abc\r\n"},
                      ReadCase{"SharpSCountsOnce", "Straße\nStrasse\n", 7, "Strasse\r\n"},
                      ReadCase{"SharpSAtItsLength", "Straße\n", 6, "Straße\r\n"},
                      ReadCase{"LastLineWithoutEnd", "ab\r\ncd", 2, "ab\r\ncd\r\n"},
                      ReadCase{"EmptyFile", "", 0, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CharacterCount, CountsCodePointsAndStrayBytes) {
    const std::vector<std::pair<std::string, std::int64_t>> cases = {
        {"", 0},
        {"abc", 3},
        {"Straße", 6},
        {"\xE2\x82\xAC", 1},      // euro sign
        {"\xF0\x9F\x98\x80", 1},  // four-byte sequence
        {"\xC3", 1},              // lead byte at the end
        {"\xC3\xC3\xA9", 2},      // stray lead, then a letter
        {"\xA9", 1},              // tail byte alone
        {"\xC0\xAF", 2},          // overlong form
        {"\xE0\x80\x80", 3},      // overlong form
        {"\xED\xA0\x80", 3},      // surrogate
        {"\xF4\x90\x80\x80", 4},  // past U+10FFFF
        {"\xE2\x82", 2},          // cut sequence
        {"\xF5\x80", 2},          // never a lead byte
    };
    // A text of `count` characters is long enough for `count`, not for one more.
    for (const auto& [text, count] : cases) {
        EXPECT_TRUE(splitword::LongEnough(text, static_cast<double>(count)))
            << testing::PrintToString(text);
        EXPECT_FALSE(splitword::LongEnough(text, static_cast<double>(count + 1)))
            << testing::PrintToString(text);
    }
}

TEST(Threads, WithoutThreadsToBeHadTheSearchRunsOnTheCallingThread) {
#if defined(_WIN32)
    GTEST_SKIP() << "Windows has no limit on a user's threads to set (RLIMIT_NPROC)";
#else
    std::string list;
    for (int k = 0; k < 40; ++k) list += "ab\nabab\nab" + std::to_string(k) + "\n";
    TempFolder folder;
    folder.write("in.txt", list);
    rt::RunEvents quiet;
    RunWith(folder.path(), 2, quiet, {0, 64, 10});
    const std::string expected = folder.read("out.txt");
    std::filesystem::permissions(folder.path(), std::filesystem::perms::all);
    std::filesystem::remove(folder / "out.txt");
    std::filesystem::remove(folder / "Debug.txt");
    // As an unprivileged user, with no new thread allowed, or one only.
    for (const rlim_t processes : {rlim_t{1}, rlim_t{2}}) {
        const int status = testing_support::RunUnprivileged([&] {
            const rlimit limit{processes, processes};
            if (::setrlimit(RLIMIT_NPROC, &limit) != 0) return 2;
            rt::RunEvents none;
            RunWith(folder.path(), 2, none, {2, 64, 10});
            return folder.read("out.txt") == expected ? 0 : 1;
        });
        ASSERT_NE(status, -1) << "could not run as an unprivileged user";
        EXPECT_EQ(status, 0) << processes << " processes";
    }
#endif
}

// The characters of a text, counted one by one.
std::int64_t CharacterCount(std::string_view text) {
    std::int64_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); ++count)
        pos += splitword::CharacterSize(text, pos);
    return count;
}

TEST(LongEnough, ComparesTheCharacterCountWithTheThreshold) {
    struct Case {
        std::string text;
        double threshold;
        bool kept;
    };
    const std::vector<Case> cases = {
        {"", 0, true},       {"", -1, true},        {"", 0.5, false},       {"a", 1, true},
        {"a", 2, false},     {"ab", 2, true},       {"abc", 2.5, true},     {"ab", 2.5, false},
        {"Straße", 6, true}, {"Straße", 7, false},  {"\xC3\xA9", 2, false}, {"\xC3\xA9", 1, true},
        {"\xC3x", 2, true},  {"\xE2\x82", 2, true}, {"abc", 1e300, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(splitword::LongEnough(c.text, c.threshold), c.kept)
            << testing::PrintToString(c.text) << " at " << c.threshold;
        EXPECT_EQ(splitword::LongEnough(c.text, c.threshold),
                  !(c.threshold > static_cast<double>(CharacterCount(c.text))));
    }
}

TEST(ThresholdText, IsTheNumberTextOfItsLeadingNumber) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {" 3 ", "3"}, {"3x", "3"},  {"abc", "0"},    {"", "0"},   {"2.5", "2.5"},
        {"007", "7"}, {"-1", "-1"}, {"1e3", "1000"}, {"  ", "0"}, {"2.50", "2.5"},
    };
    for (const auto& [typed, shown] : cases)
        EXPECT_EQ(splitword::NormaliseThresholdText(typed), shown) << typed;
}

TEST(ThresholdText, TooLargeANumberIsOverflow) {
    try {
        splitword::NormaliseThresholdText("1e999");
        FAIL() << "no error";
    } catch (const rt::RuntimeError& error) {
        EXPECT_EQ(error.number(), rt::kOverflow);
    }
}

std::string Words(int count) {
    std::string text;
    for (int k = 0; k < count; ++k) text += "w" + std::to_string(k) + "\n";
    return text;
}

const std::vector<splitword::Tuning> kTunings = {
    {2, std::size_t{1} << 20, 4096}, {2, 1, 7}, {0, 1, 4096}, {3, 64, 150}};

TEST(Progress, EveryHundredthWordBeforeItIsSearched) {
    std::vector<std::string> many;
    for (int k = 100; k <= 5000; k += 100) many.push_back(std::to_string(k) + "/5012");
    const std::vector<std::pair<int, std::vector<std::string>>> cases = {
        {0, {}}, {99, {}}, {100, {"100/100"}}, {250, {"100/250", "200/250"}}, {5012, many},
    };
    for (const splitword::Tuning& tuning : kTunings) {
        for (const auto& [count, calls] : cases) {
            TempFolder folder;
            folder.write("in.txt", Words(count));
            RecordedProgress progress;
            RunWith(folder.path(), 2, progress, tuning);
            EXPECT_EQ(progress.calls, calls) << count << " words, threads " << tuning.searchThreads
                                             << ", block " << tuning.blockBytes;
        }
    }
}

// Progress that notes how much of out.txt has reached the file at each call.
struct FileWatch : rt::RunEvents {
    std::filesystem::path out;
    std::vector<std::pair<std::uint64_t, std::uintmax_t>> sizes;
    void progress(std::uint64_t index, std::uint64_t) override {
        sizes.emplace_back(index, std::filesystem::file_size(out));
    }
};

TEST(Progress, NoLineOfTheWordReachesTheFileBeforeItsCall) {
    // 200 copies of "ab", then compounds of it: each "abab" gives 200 lines of 14 bytes, so
    // out.txt passes the writer's buffer many times over.
    std::string list;
    for (int k = 0; k < 200; ++k) list += "ab\n";
    for (int k = 0; k < 2000; ++k) list += "abab\n";
    const std::uintmax_t lineBytes = std::string("abab\tab\tab\r\n").size();
    // Blocks of 4 KiB: many blocks, each written as it comes.
    const std::vector<splitword::Tuning> tunings = {
        {2, std::size_t{1} << 20, 4096}, {2, 4096, 50}, {0, 4096, 4096}};
    for (const splitword::Tuning& tuning : tunings) {
        TempFolder folder;
        folder.write("in.txt", list);
        FileWatch watch;
        watch.out = folder / "out.txt";
        RunWith(folder.path(), 2, watch, tuning);
        ASSERT_EQ(watch.sizes.size(), 22u);
        std::uintmax_t last = 0;
        for (const auto& [index, size] : watch.sizes) {
            // Words 201 on are compounds; the lines of those before `index` may be there.
            const std::uintmax_t before = index > 201 ? (index - 201) * 200 * lineBytes : 0;
            EXPECT_LE(size, kHeader.size() + before) << "word " << index;
            EXPECT_GE(size, last);
            last = size;
        }
        // The file did grow while the run went on.
        EXPECT_GT(last, 0u) << "block " << tuning.blockBytes;
    }
}

TEST(Progress, AFailingCallStopsTheRun) {
    struct Failing : rt::RunEvents {
        void progress(std::uint64_t, std::uint64_t) override {
            throw rt::RuntimeError(rt::kOverflow);
        }
    };
    std::string list;
    for (int k = 0; k < 300; ++k) list += "ab\nabab\n";
    const std::vector<splitword::Tuning> tunings = {
        {2, std::size_t{1} << 20, 4096}, {2, 64, 10}, {0, 64, 4096}};
    for (const splitword::Tuning& tuning : tunings) {
        TempFolder folder;
        folder.write("in.txt", list);
        Failing failing;
        try {
            RunWith(folder.path(), 2, failing, tuning);
            FAIL() << "no error";
        } catch (const rt::RuntimeError& error) {
            EXPECT_EQ(error.number(), rt::kOverflow);
        }
    }
}

TEST(Failures, MissingInputLeavesTheOutputsAlone) {
    TempFolder folder;
    folder.write("Debug.txt", "old debug");
    folder.write("out.txt", "old out");
    RecordedProgress progress;
    try {
        RunWith(folder.path(), 2, progress);
        FAIL() << "no error";
    } catch (const rt::RuntimeError& error) {
        EXPECT_EQ(error.number(), rt::kFileNotFound);
    }
    EXPECT_TRUE(progress.calls.empty());
    EXPECT_EQ(folder.read("Debug.txt"), "old debug");
    EXPECT_EQ(folder.read("out.txt"), "old out");
}

TEST(Failures, DebugListThatCannotBeCreatedLeavesOutAlone) {
    TempFolder folder;
    folder.write("in.txt", "ab\n");
    std::filesystem::create_directory(folder / "Debug.txt");
    folder.write("out.txt", "old out");
    rt::RunEvents quiet;
    try {
        RunWith(folder.path(), 2, quiet);
        FAIL() << "no error";
    } catch (const rt::RuntimeError& error) {
        EXPECT_EQ(error.number(), rt::kPermissionDenied);
    }
    EXPECT_EQ(folder.read("out.txt"), "old out");
}

// A stated room on out.txt's disk, less what the new Debug.txt adds beyond the old one: a run
// that does not fit writes nothing; a large one is asked about first.
struct StatedRoom : rt::RunEvents {
    bool answer = false;
    std::vector<std::string> calls;
    void refuse(const rt::Notice& refusal) override { calls.emplace_back(refusal.text); }
    bool accept(const rt::Notice& question) override {
        calls.emplace_back(question.text);
        return answer;
    }
};

TEST(SizeCheck, AgainstAStatedRoom) {
    // out.txt: the header (46 bytes) and abab, ab, ab (12 bytes); Debug.txt: 10 bytes.
    const std::string out = kHeader + "abab\tab\tab\r\n";
    const std::string tooLarge =
        "This run would write 2 lines (58 bytes) to out.txt, but its disk has only 57 bytes free "
        "for it.  Nothing has been written.  Put fewer words into in.txt (each repeat of a word "
        "repeats its lines), or raise the threshold, and click Go again.";
    const std::string large =
        "This run will write 2 lines (58 bytes) to out.txt, on a disk with 58 bytes free.  Click "
        "OK to write them, or Cancel to change in.txt or the threshold first.";
    struct Case {
        std::uint64_t room;
        const char* oldDebug;  // nullptr: none
        bool answer;
        std::string call;     // the message, if any
        std::string written;  // out.txt, or <missing>
    } const cases[] = {
        {67, nullptr, true, tooLarge, "<missing>"},
        {62, "12345", true, tooLarge, "<missing>"},  // the old Debug.txt frees its bytes
        {68, nullptr, false, large, "<missing>"},
        {68, nullptr, true, large, out},
        {126, nullptr, false, "", out},  // at most half the room: no question
        {0, nullptr, true,
         "This run would write 2 lines (58 bytes) to out.txt, but its disk has only 0 bytes free "
         "for it.  Nothing has been written.  Put fewer words into in.txt (each repeat of a word "
         "repeats its lines), or raise the threshold, and click Go again.",
         "<missing>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.room);
        TempFolder folder;
        folder.write("in.txt", "ab\nabab\n");
        if (c.oldDebug) folder.write("Debug.txt", c.oldDebug);
        StatedRoom progress;
        progress.answer = c.answer;
        splitword::Options options;
        options.room.forOutput = [&c](const std::filesystem::path&) {
            return std::optional<std::uint64_t>(c.room);
        };
        const auto result = splitword::Run(folder.path(), options, progress);
        EXPECT_EQ(progress.calls,
                  c.call.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.call});
        EXPECT_EQ(folder.readOrMissing("out.txt"), c.written);
        EXPECT_EQ(result.sizeRefused, c.written == "<missing>");
        const std::string debug =
            c.written == "<missing>" ? (c.oldDebug ? c.oldDebug : "<missing>") : "ab\r\nabab\r\n";
        EXPECT_EQ(folder.readOrMissing("Debug.txt"), debug);
    }
}

TEST(Files, NamesFoundInAnyLetterCase) {
    TempFolder folder;
    folder.write("IN.TXT", "ab\nc\nabc\n");
    folder.write("OUT.txt", "old");
    rt::RunEvents quiet;
    RunWith(folder.path(), 1, quiet);
    EXPECT_EQ(folder.read("OUT.txt"), kHeader + "abc\tab\tc\r\n");
    EXPECT_FALSE(folder.exists("out.txt"));
}

}  // namespace
