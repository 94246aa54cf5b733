// The run's failure handling: OK carries out the failed operation again and the run goes on,
// Cancel ends it, every other failure shows the program-error box and ends it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <new>
#include <string>

#include "counter.h"
#include "job_fixture.h"
#include "program_texts.h"
#include "unprivileged.h"

namespace {

namespace fs = std::filesystem;
using binning::Mode;
using binning::Outcome;
using binning_testing::JobFixture;
using testing_support::ScriptedPlatform;

namespace texts = testing_support::binning_texts;
const std::string& kReport = texts::kSingleReport;

void WriteExample(const JobFixture& f) {
    f.folder.write("bins.txt", texts::kBins);
    f.folder.write("Data.txt", texts::kData);
}

// ---- Guarded ------------------------------------------------------------------------------------

struct CountingHandler : rt::RunEvents {
    std::vector<int> numbers;
    int retries = 0;  // how many failures to answer with a retry
    void failed(const rt::RuntimeError& error) override {
        numbers.push_back(error.number());
        if (retries-- > 0) return;
        throw binning::RunEnded{};
    }
};

TEST(GuardedTest, CarriesOutTheOperationAgainUntilItSucceeds) {
    CountingHandler handler;
    handler.retries = 2;
    int calls = 0;
    const int value = binning::Guarded(handler, [&] {
        if (++calls < 3) throw rt::RuntimeError(rt::kFileNotFound);
        return 42;
    });
    EXPECT_EQ(value, 42);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(handler.numbers, (std::vector<int>{53, 53}));
}

TEST(GuardedTest, RunningOutOfMemoryIsError7) {
    CountingHandler handler;
    EXPECT_THROW(binning::Guarded(handler, []() -> int { throw std::bad_alloc(); }),
                 binning::RunEnded);
    EXPECT_EQ(handler.numbers, (std::vector<int>{7}));
}

TEST(GuardedTest, ACounterPastTheLimitIsError6) {
    CountingHandler handler;
    rt::Counter32 counter(rt::Counter32::kMax);
    EXPECT_THROW(binning::Guarded(handler, [&] { ++counter; }), binning::RunEnded);
    EXPECT_EQ(handler.numbers, (std::vector<int>{6}));
    EXPECT_EQ(counter.value(), rt::Counter32::kMax);
}

// ---- The boxes ----------------------------------------------------------------------------------

TEST(BoxEventsTest, EachNumberGetsItsBox) {
    const struct {
        int number;
        rt::Answer answer;
        std::string text;
        rt::Buttons buttons;
        bool ends;
    } cases[] = {
        {70, rt::Answer::Ok, std::string(binning::kPermissionMessage), rt::Buttons::OkCancel,
         false},
        {70, rt::Answer::Cancel, std::string(binning::kPermissionMessage), rt::Buttons::OkCancel,
         true},
        {53, rt::Answer::Ok, std::string(binning::kFileNotFoundMessage), rt::Buttons::OkCancel,
         false},
        {53, rt::Answer::Cancel, std::string(binning::kFileNotFoundMessage), rt::Buttons::OkCancel,
         true},
        {6, rt::Answer::Ok, binning::ProgramErrorMessage(), rt::Buttons::Ok, true},
        {61, rt::Answer::Ok, binning::ProgramErrorMessage(), rt::Buttons::Ok, true},
        {7, rt::Answer::Ok, binning::ProgramErrorMessage(), rt::Buttons::Ok, true},
        {76, rt::Answer::Ok, binning::ProgramErrorMessage(), rt::Buttons::Ok, true},
    };
    for (const auto& c : cases) {
        ScriptedPlatform platform;
        platform.answers.push_back(c.answer);
        binning::BoxEvents events(platform);
        bool ended = false;
        try {
            events.failed(rt::RuntimeError(c.number));
        } catch (const binning::RunEnded&) {
            ended = true;
        }
        EXPECT_EQ(ended, c.ends) << c.number;
        ASSERT_EQ(platform.boxes.size(), 1u);
        EXPECT_EQ(platform.boxes[0].text, c.text);
        EXPECT_EQ(platform.boxes[0].buttons, c.buttons);
        EXPECT_EQ(platform.boxes[0].title, "");
        // The handler asks; the window ends the program.
        EXPECT_EQ(platform.endCount, 0);
    }
}

TEST(BoxEventsTest, MessagesAreTheProgramsOwn) {
    EXPECT_EQ(binning::kPermissionMessage, texts::kPermissionBox);
    EXPECT_EQ(binning::kFileNotFoundMessage, texts::kFileNotFoundBox);
    EXPECT_EQ(binning::ProgramErrorMessage(), std::string(texts::kProgramErrorStart) +
                                                  std::string(binning::kSupportAddress) +
                                                  std::string(texts::kProgramErrorEnd));
    EXPECT_NE(binning::kSupportAddress.find('@'), std::string_view::npos);
}

// ---- Retry in a run -----------------------------------------------------------------------------

struct MissingCase {
    const char* name;
    Mode mode;
    const char* missing;
};

class MissingFile : public ::testing::TestWithParam<MissingCase> {};

TEST_P(MissingFile, PutInPlaceBeforeOkCompletesTheRun) {
    JobFixture f;
    WriteExample(f);
    const std::string name = GetParam().missing;
    const std::string bytes = f.folder.read(name);
    fs::remove(f.folder / name);
    int asked = 0;
    f.platform.onBox = [&](const ScriptedPlatform::Box& box) {
        // OK without a change shows the box again; the second time the file is there.
        if (++asked == 2) f.folder.write(name, bytes);
        EXPECT_EQ(box.text, binning::kFileNotFoundMessage);
    };
    EXPECT_EQ(f.run(GetParam().mode), Outcome::Completed);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(f.platform.boxes.size(), 2u);
    if (GetParam().mode == Mode::SingleValues) {
        EXPECT_EQ(f.results(), kReport);
    }
}

TEST_P(MissingFile, CancelEndsAndLeavesResultsAsItWas) {
    JobFixture f;
    WriteExample(f);
    fs::remove(f.folder / GetParam().missing);
    f.folder.write("Results.txt", "old report");
    f.platform.answers = {rt::Answer::Cancel};
    EXPECT_EQ(f.run(GetParam().mode), std::nullopt);
    ASSERT_EQ(f.platform.boxes.size(), 1u);
    EXPECT_EQ(f.platform.boxes[0].text, binning::kFileNotFoundMessage);
    EXPECT_EQ(f.results(), "old report");
}

INSTANTIATE_TEST_SUITE_P(Cases, MissingFile,
                         ::testing::Values(MissingCase{"Bins", Mode::SingleValues, "bins.txt"},
                                           MissingCase{"Data", Mode::SingleValues, "Data.txt"},
                                           MissingCase{"PairBins", Mode::PairsOfValues, "bins.txt"},
                                           MissingCase{"PairData", Mode::PairsOfValues,
                                                       "Data.txt"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PermissionTest, AFolderNamedResultsTxtAsksAndOkAfterRemovingItCompletes) {
    JobFixture f;
    WriteExample(f);
    fs::create_directory(f.folder / "Results.txt");
    f.platform.onBox = [&](const ScriptedPlatform::Box& box) {
        EXPECT_EQ(box.text, binning::kPermissionMessage);
        EXPECT_EQ(box.buttons, rt::Buttons::OkCancel);
        // Data.txt has been read to its end before Results.txt was asked for.
        fs::remove(f.folder / "Data.txt");
        fs::remove(f.folder / "Results.txt");
    };
    EXPECT_EQ(f.run(Mode::SingleValues), Outcome::Completed);
    EXPECT_EQ(f.platform.boxes.size(), 1u);
    EXPECT_EQ(f.results(), kReport);
}

TEST(PermissionTest, AFolderNamedBinsTxtAsksAndOkAfterReplacingItCompletes) {
    JobFixture f;
    WriteExample(f);
    fs::remove(f.folder / "bins.txt");
    fs::create_directory(f.folder / "bins.txt");
    f.platform.onBox = [&](const ScriptedPlatform::Box& box) {
        EXPECT_EQ(box.text, binning::kPermissionMessage);
        fs::remove(f.folder / "bins.txt");
        f.folder.write("bins.txt", "0\n10\n20\n");
    };
    EXPECT_EQ(f.run(Mode::SingleValues), Outcome::Completed);
    EXPECT_EQ(f.results(), kReport);
}

TEST(PermissionTest, CancelLeavesAReadOnlyResultsTxtAsItWas) {
    if (const auto why = testing_support::WhyPermissionsDoNotBind()) GTEST_SKIP() << *why;
    JobFixture f;
    WriteExample(f);
    f.folder.write("Results.txt", "old report");
    fs::permissions(f.folder.path(), fs::perms::all);
    fs::permissions(f.folder / "Results.txt",
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const int status = testing_support::RunUnprivileged([&] {
        ScriptedPlatform platform;
        platform.answers = {rt::Answer::Ok, rt::Answer::Cancel};
        binning::BoxEvents events(platform);
        try {
            binning::Run(f.folder.path(), {}, events);
            return 1;
        } catch (const binning::RunEnded&) {
        }
        if (platform.boxes.size() != 2) return 2;
        for (const auto& box : platform.boxes)
            if (box.text != binning::kPermissionMessage) return 3;
        return 0;
    });
    ASSERT_NE(status, -1) << "could not run as an unprivileged user";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(f.results(), "old report");
}

// ---- Program errors -----------------------------------------------------------------------------

TEST(ProgramErrorTest, ACountPastTheLimitEndsBeforeResultsTxtIsTouched) {
    JobFixture f;
    WriteExample(f);
    f.folder.write("Results.txt", "old report");
    binning::Options settings;
    settings.firstTotal = rt::Counter32::kMax - 4;  // the fifth value passes the limit
    EXPECT_EQ(f.run(Mode::SingleValues, settings), std::nullopt);
    ASSERT_EQ(f.platform.boxes.size(), 1u);
    EXPECT_EQ(f.platform.boxes[0].text, binning::ProgramErrorMessage());
    EXPECT_EQ(f.platform.boxes[0].buttons, rt::Buttons::Ok);
    EXPECT_EQ(f.results(), "old report");
}

TEST(ProgramErrorTest, ACountJustAtTheLimitIsWritten) {
    JobFixture f;
    WriteExample(f);
    binning::Options settings;
    settings.firstTotal = rt::Counter32::kMax - 5;
    EXPECT_EQ(f.run(Mode::PairsOfValues, settings), Outcome::Completed);
    EXPECT_NE(f.results().find("Total data:  2147483647\r\n"), std::string::npos);
}

TEST(ProgramErrorTest, ANumberTooLargeForADoubleEndsTheRun) {
    const struct {
        const char* bins;
        const char* data;
        Mode mode;
    } cases[] = {
        {"0\n1E400\n", "1\n", Mode::SingleValues},
        {"0\n1\n", "1\n1E400\n", Mode::SingleValues},
        {"0\n1\n", "1\t1E400\n", Mode::PairsOfValues},
    };
    for (const auto& c : cases) {
        JobFixture f;
        f.folder.write("bins.txt", c.bins);
        f.folder.write("Data.txt", c.data);
        EXPECT_EQ(f.run(c.mode), std::nullopt) << c.bins << c.data;
        ASSERT_EQ(f.platform.boxes.size(), 1u);
        EXPECT_EQ(f.platform.boxes[0].text, binning::ProgramErrorMessage());
        EXPECT_FALSE(f.folder.exists("Results.txt"));
    }
}

}  // namespace
