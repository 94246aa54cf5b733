// The size check before the count table is made: a run refused for want of memory or disk room
// (the room stated in the settings), and the question before a large Results.txt. Where a run
// goes ahead, Results.txt has the size the messages give.
#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "job_fixture.h"

namespace {

using binning::Mode;
using binning::Outcome;
using binning_testing::JobFixture;

constexpr std::uint64_t kPlenty = std::uint64_t{1} << 40;

std::string Cutoffs(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += std::to_string(i) + "\n";
    return text;
}

struct SizeCase {
    const char* name;
    Mode mode;
    std::vector<std::pair<std::string, std::string>> files;
    std::uint64_t memory;  // the memory the run may get
    std::uint64_t disk;    // the room for Results.txt
    std::deque<rt::Answer> answers;
    std::string box;  // the one box shown, "" for none
    rt::Buttons buttons;
    Outcome outcome;
    std::size_t written;  // the size of Results.txt written; 0: the old one stays
};

class SizeChecks : public ::testing::TestWithParam<SizeCase> {};

TEST_P(SizeChecks, RefuseOrAskBeforeAnythingIsWritten) {
    const SizeCase& c = GetParam();
    JobFixture f;
    for (const auto& [name, bytes] : c.files) f.folder.write(name, bytes);
    f.folder.write("Results.txt", "old report");
    f.platform.answers = c.answers;
    binning::Options settings;
    settings.room.memory = [&] { return c.memory; };
    settings.room.forOutput = [&](const std::filesystem::path& path) {
        EXPECT_EQ(path.filename(), "Results.txt");
        return std::optional<std::uint64_t>(c.disk);
    };
    EXPECT_EQ(f.run(c.mode, settings), c.outcome);
    if (c.box.empty()) {
        EXPECT_TRUE(f.platform.boxes.empty());
    } else {
        ASSERT_EQ(f.platform.boxes.size(), 1u);
        EXPECT_EQ(f.platform.boxes[0].text, c.box);
        EXPECT_EQ(f.platform.boxes[0].buttons, c.buttons);
        EXPECT_EQ(f.platform.boxes[0].title, "");
    }
    if (c.written == 0)
        EXPECT_EQ(f.results(), "old report");
    else
        EXPECT_EQ(f.results().size(), c.written);
    EXPECT_FALSE(f.platform.ended());
}

// Three pairs of bins and three values: Results.txt of exactly 203 bytes (every count one digit).
const std::vector<std::pair<std::string, std::string>> kSmallPairs = {
    {"Bins1.txt", "0\n10\n20\n"}, {"Bins2.txt", "0\n10\n20\n"}, {"Data.txt", "5\t15\n"}};

INSTANTIATE_TEST_SUITE_P(
    Cases, SizeChecks,
    ::testing::Values(
        SizeCase{"DiskOneByteShort",
                 Mode::PairsOfValues,
                 kSmallPairs,
                 kPlenty,
                 202,
                 {},
                 "This run would write 8 lines (203 bytes) to Results.txt, but its disk has only "
                 "202 bytes free for it.  Nothing has been written.  Put fewer cutoffs into "
                 "Bins1.txt or Bins2.txt, or make room on that disk, and click Go again.",
                 rt::Buttons::Ok,
                 Outcome::StoppedOnSize,
                 0},
        SizeCase{"HalfTheDiskGoesAhead",
                 Mode::PairsOfValues,
                 kSmallPairs,
                 kPlenty,
                 406,
                 {},
                 "",
                 rt::Buttons::Ok,
                 Outcome::Completed,
                 203},
        SizeCase{"MoreThanHalfAsksAndCancelStops",
                 Mode::PairsOfValues,
                 kSmallPairs,
                 kPlenty,
                 405,
                 {rt::Answer::Cancel},
                 "This run will write 8 lines (203 bytes) to Results.txt, on a disk with 405 "
                 "bytes free.  Click OK to write them, or Cancel to change the files first.",
                 rt::Buttons::OkCancel,
                 Outcome::StoppedOnSize,
                 0},
        SizeCase{"MoreThanHalfAsksAndOkWrites",
                 Mode::PairsOfValues,
                 kSmallPairs,
                 kPlenty,
                 405,
                 {rt::Answer::Ok},
                 "This run will write 8 lines (203 bytes) to Results.txt, on a disk with 405 "
                 "bytes free.  Click OK to write them, or Cancel to change the files first.",
                 rt::Buttons::OkCancel,
                 Outcome::Completed,
                 203},
        // Ten values may make counts of two digits: the size is the most they can take.
        SizeCase{"SingleValuesAtMost",
                 Mode::SingleValues,
                 {{"bins.txt", "0\n10\n"}, {"Data.txt", "1\n1\n1\n1\n1\n1\n1\n1\n1\n1\n"}},
                 kPlenty,
                 114,
                 {},
                 "This run would write 5 lines (at most 115 bytes) to Results.txt, but its disk "
                 "has only 114 bytes free for it.  Nothing has been written.  Put fewer cutoffs "
                 "into Bins.txt, or make room on that disk, and click Go again.",
                 rt::Buttons::Ok,
                 Outcome::StoppedOnSize,
                 0},
        // A table of 1001 by 1001 counts and a block of 1 MiB to read Data.txt in.
        SizeCase{"MemoryShort",
                 Mode::PairsOfValues,
                 {{"bins.txt", Cutoffs(1000)}, {"Data.txt", "1\t2\n"}},
                 4800000,
                 kPlenty,
                 {},
                 "This run would need 4.8 MiB of memory to count its table of 999 rows by 999 "
                 "columns, but this computer has only 4.6 MiB free for it.  Nothing has been "
                 "written.  Put fewer cutoffs into Bins.txt, or close other programs, and click "
                 "Go again.",
                 rt::Buttons::Ok,
                 Outcome::StoppedOnSize,
                 0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
