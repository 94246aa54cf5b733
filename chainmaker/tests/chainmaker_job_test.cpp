#include "chainmaker_job.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "chunk_writer.h"
#include "lines.h"
#include "reference.h"
#include "runtime_error.h"
#include "temp_folder.h"
#include "unprivileged.h"

namespace {

using chainmaker::Options;
using testing_support::Lines;
using testing_support::TempFolder;

Options Blocks(std::initializer_list<int> wanted, std::string separator, bool exclude = false) {
    Options options;
    for (bool& block : options.blocks) block = false;
    for (int k : wanted) options.blocks[k - 1] = true;
    options.separator = std::move(separator);
    options.exclude = exclude;
    return options;
}

// A run whose caller takes the defaults of every event.
chainmaker::Result RunQuietly(const std::filesystem::path& folder, const Options& options) {
    rt::RunEvents events;
    return chainmaker::Run(folder, options, events);
}

std::string RunOn(const std::string& in, const Options& options, const char* exclude = nullptr) {
    TempFolder folder;
    folder.write("in.txt", in);
    if (exclude) folder.write("exclude.txt", exclude);
    RunQuietly(folder.path(), options);
    return folder.read("out.txt");
}

// The plain forming of reference/, every line formed anew with the exclusion list scanned in
// order: what the fast writer is held against.
std::string FromScratch(const chainmaker::StringList& list, const std::string& separator,
                        const bool (&blocks)[6], const chainmaker::StringList* exclude) {
    unsigned mask = 0;
    for (int k = 0; k < 6; ++k) mask |= blocks[k] ? 1u << k : 0u;
    const std::vector<std::string> excluded =
        exclude ? exclude->strings() : std::vector<std::string>{};
    return reference::Combinations(list.strings(), separator, mask, exclude ? &excluded : nullptr);
}

// ---- Reading lists ----------------------------------------------------------------------------

struct ListCase {
    const char* name;
    std::string file;
    std::vector<std::string> entries;
};

void PrintTo(const ListCase& c, std::ostream* os) {
    *os << c.name;
}

class ReadListTest : public ::testing::TestWithParam<ListCase> {};

TEST_P(ReadListTest, TrimsSpacesOnlyAndSkipsEmptyLines) {
    TempFolder folder;
    folder.write("in.txt", GetParam().file);
    chainmaker::StringList list;
    rt::Counter32 count;
    chainmaker::ReadList(folder / "in.txt", list, count);
    EXPECT_EQ(list.strings(), GetParam().entries);
    EXPECT_EQ(count.value(), static_cast<std::int32_t>(GetParam().entries.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Lists, ReadListTest,
    ::testing::Values(ListCase{"Empty", "", {}},
                      ListCase{"OnlyBlankLines", "  \r\n\r\n   \r\n", {}},
                      ListCase{"InnerSpaceKept", "  red apple  \r\n", {"red apple"}},
                      ListCase{"TabOnlyLineIsAnEntry", "\t\r\n", {"\t"}},
                      ListCase{"TabsAtEndsStay", " \ta b\t \r\n", {"\ta b\t"}},
                      ListCase{
                          "BlankLinesAnywhere", "\r\n\r\na\r\n\r\n b \r\n\r\n\r\n\r\n", {"a", "b"}},
                      ListCase{"DuplicatesKept", "x\r\nx\r\n", {"x", "x"}},
                      ListCase{"LastLineWithoutEnd", "a\nb", {"a", "b"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadList, MissingFileIsError53) {
    TempFolder folder;
    chainmaker::StringList list;
    rt::Counter32 count;
    try {
        chainmaker::ReadList(folder / "in.txt", list, count);
        FAIL() << "no error";
    } catch (const rt::RuntimeError& error) {
        EXPECT_EQ(error.number(), 53);
    }
}

TEST(ReadList, AppendsToWhatTheListHolds) {
    TempFolder folder;
    folder.write("in.txt", "b\r\n");
    chainmaker::StringList list{"a"};
    rt::Counter32 count(1);
    chainmaker::ReadList(folder / "in.txt", list, count);
    EXPECT_EQ(list, (chainmaker::StringList{"a", "b"}));
    EXPECT_EQ(count.value(), 2);
}

// ---- Memory ----------------------------------------------------------------------------------

struct RoomCase {
    const char* name;
    std::string in;
    std::optional<std::string> exclude;
    // The room, given the room that writing takes for `in` with a space between members.
    std::uint64_t (*room)(std::uint64_t writing);
    bool refused;
};

void PrintTo(const RoomCase& c, std::ostream* os) {
    *os << c.name;
}

class RoomTest : public ::testing::TestWithParam<RoomCase> {};

TEST_P(RoomTest, ListsTooLargeForTheMemoryAreError7BeforeOutIsTouched) {
    const RoomCase& c = GetParam();
    TempFolder folder;
    folder.write("in.txt", c.in);
    if (c.exclude) folder.write("exclude.txt", *c.exclude);
    folder.write("out.txt", "old\r\n");
    chainmaker::StringList list, exclude;
    rt::Counter32 count, excludeCount;
    chainmaker::ReadList(folder / "in.txt", list, count);
    if (c.exclude) chainmaker::ReadList(folder / "exclude.txt", exclude, excludeCount);
    const std::uint64_t writing =
        chainmaker::MemoryForWriting(chainmaker::SizeOfList(list, count.value()), 1,
                                     chainmaker::SizeOfList(exclude, excludeCount.value()));
    // A run with a stated room in memory; an unreadable exclude.txt would be refused.
    Options options = Blocks({1, 2}, " ", c.exclude.has_value());
    const std::uint64_t room = c.room(writing);
    options.room.memory = [room] { return room; };
    int number = 0;
    try {
        RunQuietly(folder.path(), options);
    } catch (const rt::RuntimeError& error) {
        number = error.number();
    }
    EXPECT_EQ(number, c.refused ? rt::kOutOfMemory : 0);
    if (c.refused) {
        EXPECT_EQ(folder.read("out.txt"), "old\r\n");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Memory, RoomTest,
    ::testing::Values(
        // 100 bytes: 800 in the run's structures.
        RoomCase{"InputOverTheRoom", std::string(98, 'x') + "\r\n", std::nullopt,
                 [](std::uint64_t) -> std::uint64_t { return 799; }, true},
        // 1,000 bytes: 3,000 while read; its failures are not the exclude.txt message.
        RoomCase{"ExcludeOverTheRoom", "a\r\n", "a a\r\n" + std::string(995, 'y'),
                 [](std::uint64_t) -> std::uint64_t { return 2999; }, true},
        RoomCase{"WritingOverTheRoom", "a\r\nb\r\n", "a a\r\n",
                 [](std::uint64_t writing) { return writing - 1; }, true},
        RoomCase{"WritingWithinTheRoom", "a\r\nb\r\n", "a a\r\n",
                 [](std::uint64_t writing) { return writing; }, false}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Combinations -----------------------------------------------------------------------------

struct OutputCase {
    const char* name;
    std::string in;
    Options options;
    std::string out;
};

void PrintTo(const OutputCase& c, std::ostream* os) {
    *os << c.name;
}

class OutputTest : public ::testing::TestWithParam<OutputCase> {};

TEST_P(OutputTest, WritesTheBlocksInOrder) {
    EXPECT_EQ(RunOn(GetParam().in, GetParam().options), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Separators, OutputTest,
    ::testing::Values(
        OutputCase{"ExampleNone", "a\r\nb\r\n", Blocks({1, 2, 3}, ""),
                   Lines({"a", "b", "aa", "ab", "ba", "bb", "aaa", "aab", "aba", "abb", "baa",
                          "bab", "bba", "bbb"})},
        OutputCase{"ExampleSpace", "a\r\nb\r\n", Blocks({1, 2, 3}, " "),
                   Lines({"a", "b", "a a", "a b", "b a", "b b", "a a a", "a a b", "a b a", "a b b",
                          "b a a", "b a b", "b b a", "b b b"})},
        OutputCase{"Tab", "a\r\nb\r\n", Blocks({2}, "\t"), Lines({"a\ta", "a\tb", "b\ta", "b\tb"})},
        OutputCase{"OtherSeveralCharacters", "x\r\ny\r\n", Blocks({2}, " - "),
                   Lines({"x - x", "x - y", "y - x", "y - y"})},
        OutputCase{"OtherEmptyIsLikeNone", "x\r\ny\r\n", Blocks({2}, ""),
                   Lines({"xx", "xy", "yx", "yy"})},
        OutputCase{"OnlyBlockFour", "a\r\nb\r\n", Blocks({4}, ""),
                   Lines({"aaaa", "aaab", "aaba", "aabb", "abaa", "abab", "abba", "abbb", "baaa",
                          "baab", "baba", "babb", "bbaa", "bbab", "bbba", "bbbb"})},
        OutputCase{"OneStringAllSix", "q\r\n", Blocks({1, 2, 3, 4, 5, 6}, "+"),
                   Lines({"q", "q+q", "q+q+q", "q+q+q+q", "q+q+q+q+q", "q+q+q+q+q+q"})},
        OutputCase{"DuplicateString", "z\r\nz\r\n", Blocks({1, 2}, ""),
                   Lines({"z", "z", "zz", "zz", "zz", "zz"})},
        OutputCase{
            "NoneMakesEqualLines", "a\r\nb\r\nab\r\n", Blocks({1, 2}, ""),
            Lines({"a", "b", "ab", "aa", "ab", "aab", "ba", "bb", "bab", "aba", "abb", "abab"})},
        OutputCase{"UnequalLengthsRewritten", "long\r\ns\r\n", Blocks({3}, "/"),
                   Lines({"long/long/long", "long/long/s", "long/s/long", "long/s/s", "s/long/long",
                          "s/long/s", "s/s/long", "s/s/s"})},
        OutputCase{"EmptyListGivesEmptyFile", "\r\n  \r\n", Blocks({1, 2, 3, 4, 5, 6}, " "), ""},
        OutputCase{"NoBlockGivesEmptyFile", "a\r\nb\r\n", Blocks({}, " "), ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Output, EmptiesAnExistingFileWhenNoLineIsWritten) {
    TempFolder folder;
    folder.write("in.txt", "a\r\n");
    folder.write("out.txt", "old contents\r\n");
    RunQuietly(folder.path(), Blocks({}, " "));
    ASSERT_TRUE(folder.exists("out.txt"));
    EXPECT_EQ(folder.read("out.txt"), "");
}

TEST(Output, TenStringsWithAllBlocksGiveTheFullCount) {
    std::string in;
    for (int i = 0; i < 10; ++i) in += std::string(1, static_cast<char>('0' + i)) + "\r\n";
    const std::string out = RunOn(in, Blocks({1, 2, 3, 4, 5, 6}, ""));
    // 10 + 100 + ... + 1,000,000 lines; line k of a block has k digits.
    EXPECT_EQ(out.size(), 10u * 3 + 100u * 4 + 1000u * 5 + 10000u * 6 + 100000u * 7 + 1000000u * 8);
    EXPECT_EQ(out.substr(out.size() - 8), "999999\r\n");
    EXPECT_EQ(out.substr(0, 3), "0\r\n");
}

TEST(Output, FilesAreFoundInAnyLetterCase) {
    TempFolder folder;
    folder.write("IN.TXT", "a\r\n");
    folder.write("Out.txt", "old\r\n");
    RunQuietly(folder.path(), Blocks({1}, " "));
    EXPECT_EQ(folder.read("Out.txt"), "a\r\n");
    EXPECT_FALSE(folder.exists("out.txt"));
}

TEST(Output, BlocksAreAskedInOrderAfterTheFileIsCreated) {
    TempFolder folder;
    chainmaker::StringList list{"a"};
    std::vector<int> asked;
    chainmaker::WriteCombinations(
        folder / "out.txt", list, 1, " ",
        [&](int k) {
            EXPECT_TRUE(folder.exists("out.txt")) << "block " << k;
            asked.push_back(k);
            return k == 2;
        },
        nullptr);
    EXPECT_EQ(asked, (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(folder.read("out.txt"), "a a\r\n");
}

TEST(Output, BlocksAreAskedAlsoForAnEmptyList) {
    TempFolder folder;
    int asked = 0;
    chainmaker::WriteCombinations(
        folder / "out.txt", {}, 0, " ", [&](int) { return ++asked, true; }, nullptr);
    EXPECT_EQ(asked, 6);
    EXPECT_EQ(folder.read("out.txt"), "");
}

TEST(Output, OutputThatCannotBeCreatedIsError70) {
    TempFolder folder;
    folder.write("in.txt", "a\r\n");
    std::filesystem::create_directory(folder / "out.txt");
    try {
        RunQuietly(folder.path(), Blocks({1}, " "));
        FAIL() << "no error";
    } catch (const rt::RuntimeError& error) {
        EXPECT_EQ(error.number(), 70);
    }
}

TEST(Output, MatchesTheLineByLineFormingOnRandomLists) {
    std::mt19937 random(20240607);
    const char alphabet[] = "ab \tXY";
    for (int trial = 0; trial < 60; ++trial) {
        const int n = static_cast<int>(random() % 5);
        chainmaker::StringList list;
        for (int i = 0; i < n; ++i) {
            std::string entry;
            const int length = 1 + static_cast<int>(random() % 4);
            for (int c = 0; c < length; ++c) entry += alphabet[random() % 6];
            list.push_back(entry);
        }
        const std::string separators[] = {"", " ", "\t", "--", "<+>"};
        const std::string separator = separators[random() % 5];
        bool blocks[6];
        for (bool& b : blocks) b = random() % 3 != 0;
        // Some lines of the output, some entries of the list and some strangers to leave out.
        chainmaker::StringList exclude;
        const bool excluding = trial % 2 == 1;
        if (excluding) {
            const std::string all = FromScratch(list, separator, blocks, nullptr);
            std::size_t at = 0;
            while (at < all.size()) {
                const std::size_t end = all.find("\r\n", at);
                if (random() % 4 == 0) exclude.push_back(all.substr(at, end - at));
                at = end + 2;
            }
            exclude.push_back("not a line");
            if (n > 0) exclude.push_back(list[0]);
        }

        TempFolder folder;
        const chainmaker::Exclusion exclusion(exclude, static_cast<std::int32_t>(exclude.size()));
        chainmaker::WriteCombinations(
            folder / "out.txt", list, n, separator, [&](int k) { return blocks[k - 1]; },
            excluding ? &exclusion : nullptr);
        ASSERT_EQ(folder.read("out.txt"),
                  FromScratch(list, separator, blocks, excluding ? &exclude : nullptr))
            << "trial " << trial;
    }
}

TEST(Output, LinesLongerThanTheBufferPassWhole) {
    const std::string big(3 << 20, 'w');
    TempFolder folder;
    folder.write("in.txt", big + "\r\nv\r\n");
    RunQuietly(folder.path(), Blocks({2}, "|"));
    EXPECT_EQ(folder.read("out.txt"), Lines({big + "|" + big, big + "|v", "v|" + big, "v|v"}));
}

// ---- Exclusion --------------------------------------------------------------------------------

struct ExcludeCase {
    const char* name;
    std::string in;
    Options options;
    const char* exclude;
    std::string out;
};

void PrintTo(const ExcludeCase& c, std::ostream* os) {
    *os << c.name;
}

class ExcludeTest : public ::testing::TestWithParam<ExcludeCase> {};

TEST_P(ExcludeTest, LeavesOutWholeEqualLinesOnly) {
    EXPECT_EQ(RunOn(GetParam().in, GetParam().options, GetParam().exclude), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Exclusion, ExcludeTest,
    ::testing::Values(
        ExcludeCase{"EntryRemovesOnlyItsOwnLine", "a\r\nb\r\n", Blocks({1, 2}, "", true), "b\r\n",
                    Lines({"a", "aa", "ab", "ba", "bb"})},
        ExcludeCase{"LetterCaseCounts", "a\r\nb\r\n", Blocks({1, 2}, "", true), "B\r\nAB\r\n",
                    Lines({"a", "b", "aa", "ab", "ba", "bb"})},
        ExcludeCase{"TabJoinedPair", "a\r\nb\r\n", Blocks({2}, "\t", true), "a\tb\r\n",
                    Lines({"a\ta", "b\ta", "b\tb"})},
        ExcludeCase{"SeparatorMustMatch", "a\r\nb\r\n", Blocks({2}, " ", true), "ab\r\n",
                    Lines({"a a", "a b", "b a", "b b"})},
        ExcludeCase{"OneEntryAnyBlock", "a\r\nb\r\nab\r\n", Blocks({1, 2}, "", true), "ab\r\n",
                    Lines({"a", "b", "aa", "aab", "ba", "bb", "bab", "aba", "abb", "abab"})},
        ExcludeCase{"EntryTrimmedOfSpaces", "a\r\nb\r\n", Blocks({2}, " ", true), "  a b  \r\n",
                    Lines({"a a", "b a", "b b"})},
        ExcludeCase{"EmptyExcludeFile", "a\r\nb\r\n", Blocks({1}, "", true), "", Lines({"a", "b"})},
        ExcludeCase{"ExclusionOffIgnoresTheFile", "a\r\nb\r\n", Blocks({1}, "", false), "a\r\n",
                    Lines({"a", "b"})},
        ExcludeCase{"EverythingExcluded", "a\r\n", Blocks({1, 2}, "", true), "a\r\naa\r\n", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Exclusion, MissingExcludeFileIsRefusedWithError53AndOutIsUntouched) {
    TempFolder folder;
    folder.write("in.txt", "a\r\n");
    folder.write("out.txt", "old\r\n");
    struct Refusals : rt::RunEvents {
        void refuse(const rt::Notice& refusal) override {
            texts.emplace_back(refusal.text);
            number = refusal.cause ? refusal.cause->number() : 0;
        }
        std::vector<std::string> texts;
        int number = 0;
    } events;
    EXPECT_EQ(chainmaker::Run(folder.path(), Blocks({1}, "", true), events).outcome,
              chainmaker::Outcome::ExcludeUnreadable);
    EXPECT_EQ(events.texts,
              std::vector<std::string>{std::string(chainmaker::kExcludeMissingMessage)});
    EXPECT_EQ(events.number, 53);
    EXPECT_EQ(folder.read("out.txt"), "old\r\n");
}

// Whether the writer leaves `line` out of block 1 of a list that holds it alone.
bool LeftOut(const chainmaker::Exclusion& exclusion, const std::string& line) {
    TempFolder folder;
    const chainmaker::StringList list{line};
    chainmaker::WriteCombinations(
        folder / "out.txt", list, 1, " ", [](int k) { return k == 1; }, &exclusion);
    return folder.read("out.txt").empty();
}

TEST(Exclusion, UsesOnlyTheCountedEntries) {
    const chainmaker::StringList entries{"a", "b"};
    const chainmaker::Exclusion exclusion(entries, 1);
    EXPECT_TRUE(LeftOut(exclusion, "a"));
    EXPECT_FALSE(LeftOut(exclusion, "b"));
    EXPECT_FALSE(LeftOut(exclusion, ""));
    EXPECT_FALSE(LeftOut(exclusion, "a "));
}

}  // namespace

namespace {

TEST(Exclusion, AgreesWithAScanOnManyEntries) {
    std::mt19937 random(7);
    auto word = [&random] {
        std::string text(random() % 12, ' ');
        for (char& c : text) c = "abAB \t-"[random() % 7];
        return text;
    };
    chainmaker::StringList entries;
    for (int i = 0; i < 3000; ++i) entries.push_back(word());
    entries.push_back(entries[5]);  // an entry twice
    const chainmaker::Exclusion exclusion(entries, static_cast<std::int32_t>(entries.size()));
    // Every entry, then other words, as the lines of block 1: the listed ones are left out.
    chainmaker::StringList lines = entries;
    for (int i = 0; i < 20000; ++i) lines.push_back(word());
    std::string expected;
    for (const std::string_view line : lines)
        if (std::find(entries.begin(), entries.end(), line) == entries.end())
            expected += std::string(line) + "\r\n";
    TempFolder folder;
    chainmaker::WriteCombinations(
        folder / "out.txt", lines, static_cast<std::int32_t>(lines.size()), " ",
        [](int k) { return k == 1; }, &exclusion);
    ASSERT_EQ(folder.read("out.txt"), expected);
}

}  // namespace

namespace {

TEST(Exclusion, HashOfJoinedTextFollowsFromItsParts) {
    const std::string parts[] = {"", "a", "\t", "long member", "\xFF\x80"};
    for (const std::uint64_t seed : {1u, 2u, 0u}) {
        const rt::TextHash hash(seed);
        for (const auto& a : parts) {
            for (const auto& b : parts) {
                EXPECT_EQ(hash(a + b), rt::Joined(hash(a), hash.power(b.size()), hash(b)))
                    << "[" << a << "][" << b << "] " << seed;
            }
        }
    }
}

}  // namespace

namespace {

TEST(Exclusion, ThueMorseTextAndItsComplementHashApart) {
    // Modulo 2^64 these two texts of 2,048 bytes share the hash for every odd base, so that a list
    // of such pairs could crowd the index whatever the seed.
    std::string text(2048, 'a'), complement(2048, 'b');
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (__builtin_popcountll(i) % 2 == 1) std::swap(text[i], complement[i]);
    }
    for (std::uint64_t seed = 1; seed <= 64; ++seed) {
        const rt::TextHash hash(seed);
        EXPECT_NE(hash(text), hash(complement)) << seed;
    }
}

TEST(Output, ReadOnlyOutputIsError70) {
    if (const auto why = testing_support::WhyPermissionsDoNotBind()) GTEST_SKIP() << *why;
    TempFolder folder;
    folder.write("in.txt", "a\r\n");
    folder.write("out.txt", "kept\r\n");
    std::filesystem::permissions(folder / "out.txt", std::filesystem::perms::owner_read |
                                                         std::filesystem::perms::group_read |
                                                         std::filesystem::perms::others_read);
    const int number = testing_support::RunUnprivileged([&folder] {
        try {
            RunQuietly(folder.path(), Blocks({1}, " "));
            return 0;
        } catch (const rt::RuntimeError& error) {
            return error.number();
        }
    });
    ASSERT_NE(number, -1) << "could not run as an unprivileged user";
    EXPECT_EQ(number, 70);
    EXPECT_EQ(folder.read("out.txt"), "kept\r\n");
}

}  // namespace

// ---- The writer's exclusion index ---------------------------------------------------------------
// The writer finds excluded lines through the prefixes that entries fit; these cases hold it
// against the plain forming with the list scanned in order, where that is easy to get wrong:
// members that hold the separator, texts that several tuples give, members in the list twice,
// entries in the list twice, and many entries on one prefix.

namespace {

struct IndexCase {
    const char* name;
    chainmaker::StringList list;
    std::string separator;
    chainmaker::StringList exclude;
};

void PrintTo(const IndexCase& c, std::ostream* os) {
    *os << c.name;
}

// Writes blocks 1 to 4 (or fewer for long lists) and compares with the plain forming, with the
// bit array sized by the entries and with one of two words, which lets nearly every prefix pass;
// and with the index holding the entries themselves, each line looked up by itself.
void ExpectLikeTheScan(const chainmaker::StringList& list, const std::string& separator,
                       const chainmaker::StringList& exclude, const bool (&blocks)[6]) {
    const auto n = static_cast<std::int32_t>(list.size());
    const std::string expected = FromScratch(list, separator, blocks, &exclude);
    for (const int filterBits : {0, 7}) {
        for (const std::size_t recordsAllowed : {0u, 1u}) {
            const chainmaker::Exclusion exclusion(
                exclude, static_cast<std::int32_t>(exclude.size()), filterBits, 0, recordsAllowed);
            TempFolder folder;
            chainmaker::WriteCombinations(
                folder / "out.txt", list, n, separator, [&](int k) { return blocks[k - 1]; },
                &exclusion);
            ASSERT_EQ(folder.read("out.txt"), expected)
                << "filter bits " << filterBits << ", records allowed " << recordsAllowed;
        }
    }
}

class IndexTest : public ::testing::TestWithParam<IndexCase> {};

TEST_P(IndexTest, LeavesOutExactlyWhatTheScanLeavesOut) {
    const bool blocks[6] = {true, true, true, true, false, false};
    ExpectLikeTheScan(GetParam().list, GetParam().separator, GetParam().exclude, blocks);
}

INSTANTIATE_TEST_SUITE_P(
    Prefixes, IndexTest,
    ::testing::Values(
        IndexCase{"SeparatorInsideMembers",
                  {"a b", "a", "b", "b c"},
                  " ",
                  {"a b b", "a b b c", "a b", "b c a b", "a b a b", "a a b b c", "c"}},
        IndexCase{"NoSeparatorManyReadings",
                  {"a", "ab", "b", "ba"},
                  "",
                  {"aba", "abab", "ab", "bab", "aaa", "bbab", "abba"}},
        IndexCase{"MemberTwiceInTheList", {"x", "x", "y"}, "-", {"x-y", "x", "y-x-x", "x-x-x-x"}},
        IndexCase{"EntryTwiceInTheList", {"p", "q"}, " ", {"p q", "p q", "q", "q", "p q", "q p p"}},
        IndexCase{"SeparatorAsMember", {"+", "a"}, "+", {"+++", "a+++a", "+", "a+a+a", "++a"}},
        IndexCase{"SeparatorLongerThanMembers",
                  {"<", "+", "<+"},
                  "<+>",
                  {"<<+><", "<+<+>+", "<+><+><+", "<+>", "+<+>+<+>+<+>+"}},
        IndexCase{"NotALineOfAnyBlock",
                  {"a", "b"},
                  " ",
                  {"a-b", "a  b", " a", "a ", "ab", "a b c", "A B", ""}},
        IndexCase{"EmptyMembersAndEntries", {"", "z", ""}, "", {"", "z", "zz", "zzz"}},
        IndexCase{"TabsInside", {"\ta", "b\t"}, "\t", {"\ta\tb\t", "b\t\t\ta", "\ta\t\ta"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Index, ManyEntriesOnOnePrefix) {
    // Every pair that starts with member 0, every line of member 7 in block 3, and strangers.
    chainmaker::StringList list;
    for (int i = 0; i < 40; ++i) list.push_back("m" + std::to_string(i));
    chainmaker::StringList exclude;
    for (int i = 0; i < 40; ++i) exclude.push_back("m0 m" + std::to_string(i));
    for (int i = 0; i < 40; ++i)
        for (int j = 0; j < 40; ++j)
            exclude.push_back("m7 m" + std::to_string(i) + " m" + std::to_string(j));
    for (int i = 0; i < 500; ++i) exclude.push_back("m0 m" + std::to_string(i) + "x");
    const bool blocks[6] = {true, true, true, false, false, false};
    ExpectLikeTheScan(list, " ", exclude, blocks);
}

TEST(Index, ManyCopiesOfOneMember) {
    // One record stands for all members of one text; every copy's lines are left out.
    chainmaker::StringList list;
    for (int i = 0; i < 150; ++i) list.push_back(i % 50 == 0 ? "b" : "a");
    chainmaker::StringList exclude;
    for (int i = 0; i < 300; ++i) exclude.push_back(i % 3 == 0 ? "a b" : i % 3 == 1 ? "b" : "a a");
    const bool blocks[6] = {true, true, false, false, false, false};
    ExpectLikeTheScan(list, " ", exclude, blocks);
}

// Exclusions that a list made to crowd the index: the lines found must be those that the plain scan
// leaves out, each once, and the records few.
struct WorkCase {
    const char* name;
    std::vector<std::string> list;
    std::string separator;
    std::vector<std::string> exclude;
    bool blocks[6];
    std::uint64_t mostRecords;
};

void PrintTo(const WorkCase& c, std::ostream* os) {
    *os << c.name;
}

class WorkTest : public ::testing::TestWithParam<WorkCase> {};

TEST_P(WorkTest, FindsEachExcludedLineOnce) {
    const WorkCase& c = GetParam();
    chainmaker::StringList list, exclude;
    for (const std::string& s : c.list) list.push_back(s);
    for (const std::string& s : c.exclude) exclude.push_back(s);
    const std::string expected = FromScratch(list, c.separator, c.blocks, &exclude);
    const std::string all = FromScratch(list, c.separator, c.blocks, nullptr);
    const auto lines = [](const std::string& text) {
        return static_cast<std::uint64_t>(std::count(text.begin(), text.end(), '\n'));
    };
    chainmaker::Exclusion exclusion(exclude, static_cast<std::int32_t>(exclude.size()));
    chainmaker::ExclusionWork work;
    exclusion.countWorkIn(&work);
    TempFolder folder;
    chainmaker::WriteCombinations(
        folder / "out.txt", list, static_cast<std::int32_t>(list.size()), c.separator,
        [&](int k) { return c.blocks[k - 1]; }, &exclusion);
    ASSERT_EQ(folder.read("out.txt"), expected);
    EXPECT_EQ(work.found, lines(all) - lines(expected));
    EXPECT_LE(work.records, c.mostRecords);
}

INSTANTIATE_TEST_SUITE_P(Index, WorkTest,
                         ::testing::Values(
                             // Before equal entries counted once: 2,000 records, each giving all 60
                             // members again for each of the 60 prefixes.
                             WorkCase{"EqualEntriesOnEqualMembers",
                                      std::vector<std::string>(60, "a"),
                                      " ",
                                      std::vector<std::string>(2000, "a a"),
                                      {false, true, false, false, false, false},
                                      1},
                             // One record for each member length that an entry ends with: 200
                             // copies of a^200 made 40,000.
                             WorkCase{"EqualLongEntriesOnMembersOfEveryLength",
                                      [] {
                                          std::vector<std::string> list;
                                          for (int i = 1; i <= 200; ++i)
                                              list.push_back(std::string(i, 'a'));
                                          return list;
                                      }(),
                                      "",
                                      std::vector<std::string>(200, std::string(200, 'a')),
                                      {true, true, false, false, false, false},
                                      200},
                             // Distinct entries, each a line of 200 prefixes: past the records
                             // allowed, each entry is held once.
                             WorkCase{"DistinctLongEntriesOnMembersOfEveryLength",
                                      [] {
                                          std::vector<std::string> list;
                                          for (int i = 1; i <= 200; ++i)
                                              list.push_back(std::string(i, 'a'));
                                          return list;
                                      }(),
                                      "",
                                      [] {
                                          std::vector<std::string> exclude;
                                          for (int i = 0; i < 400; ++i)
                                              exclude.push_back(std::to_string(1000 + i) +
                                                                std::string(196, 'a'));
                                          return exclude;
                                      }(),
                                      {true, false, false, false, false, false},
                                      400}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Index, RandomListsAndEntriesWithTheFilterFull) {
    // Short members from a small alphabet that holds the separators, so that texts of different
    // tuples meet; the entries are lines, pieces of lines and joins of members.
    std::mt19937 random(99);
    const std::string separators[] = {"", " ", "ab", "-"};
    for (int trial = 0; trial < 40; ++trial) {
        const std::string separator = separators[trial % 4];
        chainmaker::StringList list;
        const int n = 1 + static_cast<int>(random() % 6);
        for (int i = 0; i < n; ++i) {
            std::string member;
            const int length = static_cast<int>(random() % 3);
            for (int c = 0; c < length; ++c) member += "ab -"[random() % 4];
            list.push_back(member);
        }
        chainmaker::StringList exclude;
        for (int e = 0; e < 30; ++e) {
            std::string entry(list[random() % n]);
            const int more = static_cast<int>(random() % 4);
            for (int m = 0; m < more; ++m) entry += separator + std::string(list[random() % n]);
            if (random() % 5 == 0) entry = entry.substr(random() % (entry.size() + 1));
            exclude.push_back(entry);
        }
        bool blocks[6] = {true, true, true, true, false, false};
        if (n <= 3) blocks[4] = blocks[5] = true;
        SCOPED_TRACE("trial " + std::to_string(trial));
        ExpectLikeTheScan(list, separator, exclude, blocks);
    }
}

TEST(Index, LinesLongerThanTheChunkRoom) {
    // Lines too long to be formed in the chunk are formed whole and appended; excluded ones too.
    const std::string big(300 << 10, 'L');
    const chainmaker::StringList list{big, "s"};
    const chainmaker::StringList exclude{big + " s", "s " + big, "s s"};
    const bool blocks[6] = {true, true, false, false, false, false};
    ExpectLikeTheScan(list, " ", exclude, blocks);
}

}  // namespace

// ---- Writing in chunks -------------------------------------------------------------------------

namespace {

TEST(Chunks, OutputOfManyChunksMatchesTheLineByLineForming) {
    // About 7 MB: several chunks, lines across their ends.
    chainmaker::StringList list;
    for (int i = 0; i < 13; ++i) list.push_back(std::string(1 + i % 7, static_cast<char>('a' + i)));
    const bool blocks[6] = {true, true, true, true, true, false};
    TempFolder folder;
    chainmaker::WriteCombinations(
        folder / "out.txt", list, static_cast<std::int32_t>(list.size()), "/",
        [&](int k) { return blocks[k - 1]; }, nullptr);
    const std::string out = folder.read("out.txt");
    EXPECT_GT(out.size(), 4u * chainmaker::ChunkWriter::kChunk);
    EXPECT_TRUE(out == FromScratch(list, "/", blocks, nullptr));
}

struct FullDiskCase {
    const char* name;
    int strings;  // the output is about 8 bytes a line, 4 blocks
};

void PrintTo(const FullDiskCase& c, std::ostream* os) {
    *os << c.name;
}

class FullDiskTest : public ::testing::TestWithParam<FullDiskCase> {};

TEST_P(FullDiskTest, IsError61) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    chainmaker::StringList list;
    for (int i = 0; i < GetParam().strings; ++i) list.push_back("w" + std::to_string(i));
    try {
        chainmaker::WriteCombinations(
            "/dev/full", list, static_cast<std::int32_t>(list.size()), " ",
            [](int k) { return k <= 4; }, nullptr);
        FAIL() << "no error";
    } catch (const rt::RuntimeError& error) {
        EXPECT_EQ(error.number(), 61);
    }
}

INSTANTIATE_TEST_SUITE_P(Chunks, FullDiskTest,
                         ::testing::Values(FullDiskCase{"SmallOutputAtTheEnd", 3},
                                           FullDiskCase{"LargeOutputAtTheFirstFullChunk", 40}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
