// The window's protocol over a scripted view: the clicks, the captions, the boxes and the files,
// without a toolkit.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "binning_form.h"
#include "form/live_run.h"
#include "program_texts.h"
#include "scripted_platform.h"
#include "scripted_view.h"
#include "temp_folder.h"

namespace {

namespace fs = std::filesystem;
using testing_support::ScriptedPlatform;
using testing_support::ScriptedView;
using testing_support::TempFolder;

const std::string kHelp =
    "This program assumes your data are numbers, included in a text file entitled Data.txt, in "
    "the same folder as this program; and that you have placed a series of numerical cutoffs in "
    "a text file entitled Bins.txt.  The program will then tell you how many values occurred in "
    "each bin.\n\r\n\rThe simplest calculation of the program will count single values, but you "
    "can also run it on pairs of data (such as Observed vs. Predicted), as follows:\n\r\n\rEach "
    "data pair should appear on a single line in Data.txt, separated by a tab.You should also "
    "check the relevant box before running the program.  \n\r\n\rYou can employ separate "
    "thresholds for the first and second values by including them in files entitled Bins1.txt "
    "and Bin2.txt.";

namespace texts = testing_support::binning_texts;

// A window on a fresh folder.
class BinningFormTest : public ::testing::Test {
  protected:
    TempFolder folder;
    ScriptedPlatform platform;
    ScriptedView view{BinningForm::Declaration()};
    BinningForm form{view, platform, folder.path()};

    void writeSingleExample() {
        folder.write("bins.txt", texts::kBins);
        folder.write("Data.txt", texts::kData + "\n");
    }
    void writePairsExample() {
        folder.write("bins.txt", texts::kBins);
        folder.write("Data.txt", texts::kPairs);
    }
    std::string caption() const { return view.text("cmdGo"); }
    std::vector<std::string> files() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder.path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};
using FormRunTest = BinningFormTest;
using FormHelpTest = BinningFormTest;

TEST_F(FormRunTest, SingleValuesWorkedExample) {
    writeSingleExample();
    view.choose("optSingleValues");
    view.click("cmdGo", form.handlers());
    EXPECT_EQ(folder.read("Results.txt"), texts::kSingleReport);
    EXPECT_EQ(caption(), BinningForm::kDoneCaption);
    EXPECT_EQ(caption(),
              "Done!  You may find your output file in the same folder as this program under "
              "the name Results.txt.  Click again to exit.");
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(platform.endCount, 0);
    EXPECT_TRUE(form.alreadyClicked());
}

TEST_F(FormRunTest, PairsWorkedExample) {
    writePairsExample();
    view.choose("optPairsOfValues");
    form.cmdGo_Click();
    EXPECT_EQ(folder.read("Results.txt"), texts::kPairsReport);
    EXPECT_EQ(caption(), BinningForm::kDoneCaption);
}

TEST_F(FormRunTest, NoOptionAsksAndTouchesNoFile) {
    form.cmdGo_Click();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, "Please select single values or pairs of values.");
    EXPECT_EQ(platform.boxes[0].buttons, rt::Buttons::Ok);
    EXPECT_EQ(platform.boxes[0].title, "");
    EXPECT_FALSE(form.alreadyClicked());
    EXPECT_EQ(caption(), "Go");
    EXPECT_TRUE(files().empty());
    // Choosing an option and clicking again runs normally.
    writeSingleExample();
    view.choose("optSingleValues");
    form.cmdGo_Click();
    EXPECT_EQ(folder.read("Results.txt"), texts::kSingleReport);
    EXPECT_EQ(platform.endCount, 0);
}

TEST_F(FormRunTest, RisingStopThenCorrectedRerun) {
    writeSingleExample();
    folder.write("bins.txt", "0\n20\n10\n");
    view.choose("optSingleValues");
    form.cmdGo_Click();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, binning::kBinsNotRisingMessage);
    EXPECT_FALSE(form.alreadyClicked());
    EXPECT_EQ(caption(), "Go");
    EXPECT_FALSE(folder.exists("Results.txt"));

    folder.write("bins.txt", "0\n10\n20\n");
    form.cmdGo_Click();
    EXPECT_EQ(folder.read("Results.txt"), texts::kSingleReport);
    EXPECT_EQ(caption(), BinningForm::kDoneCaption);
    EXPECT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.endCount, 0);
}

// A run that has no room, or whose large Results.txt is not wanted, leaves the window at Go;
// the next click is a new run.
TEST_F(FormRunTest, SizeStopThenRerunWithRoom) {
    const struct {
        const char* name;
        std::uint64_t memory;
        std::uint64_t disk;
        rt::Buttons buttons;
        std::string_view startsWith;
    } cases[] = {
        {"memory", 100, std::uint64_t{1} << 40, rt::Buttons::Ok, "This run would need "},
        {"disk", std::uint64_t{1} << 40, 100, rt::Buttons::Ok, "This run would write "},
        {"large, Cancel", std::uint64_t{1} << 40, 200, rt::Buttons::OkCancel,
         "This run will write "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedPlatform boxes;
        boxes.answers = {rt::Answer::Cancel};
        ScriptedView v{BinningForm::Declaration()};
        BinningForm w{v, boxes, folder.path()};
        writeSingleExample();
        w.runSettings.room.memory = [&] { return c.memory; };
        w.runSettings.room.forOutput = [&](const fs::path&) {
            return std::optional<std::uint64_t>(c.disk);
        };
        v.choose("optSingleValues");
        w.cmdGo_Click();
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_TRUE(boxes.boxes[0].text.starts_with(c.startsWith)) << boxes.boxes[0].text;
        EXPECT_EQ(boxes.boxes[0].buttons, c.buttons);
        EXPECT_FALSE(w.alreadyClicked());
        EXPECT_EQ(v.text("cmdGo"), "Go");
        EXPECT_FALSE(folder.exists("Results.txt"));

        w.runSettings = {};
        w.cmdGo_Click();
        EXPECT_EQ(folder.read("Results.txt"), texts::kSingleReport);
        EXPECT_EQ(v.text("cmdGo"), BinningForm::kDoneCaption);
        EXPECT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.endCount, 0);
        fs::remove(folder / "Results.txt");
    }
}

TEST_F(FormRunTest, MissingDataTxtPutInPlaceBeforeOkCompletesWithoutAnotherClick) {
    writeSingleExample();
    const std::string data = folder.read("Data.txt");
    fs::remove(folder / "Data.txt");
    platform.onBox = [&](const ScriptedPlatform::Box&) { folder.write("Data.txt", data); };
    view.choose("optSingleValues");
    form.cmdGo_Click();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, binning::kFileNotFoundMessage);
    EXPECT_EQ(platform.boxes[0].buttons, rt::Buttons::OkCancel);
    EXPECT_EQ(folder.read("Results.txt"), texts::kSingleReport);
    EXPECT_EQ(caption(), BinningForm::kDoneCaption);
    EXPECT_EQ(platform.endCount, 0);
}

TEST_F(FormRunTest, ResultsTxtMadeWritableBeforeOkCompletesTheRun) {
    writePairsExample();
    fs::create_directory(folder / "Results.txt");
    platform.onBox = [&](const ScriptedPlatform::Box&) { fs::remove(folder / "Results.txt"); };
    view.choose("optPairsOfValues");
    form.cmdGo_Click();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, binning::kPermissionMessage);
    EXPECT_EQ(folder.read("Results.txt"), texts::kPairsReport);
    EXPECT_EQ(caption(), BinningForm::kDoneCaption);
    EXPECT_EQ(platform.endCount, 0);
}

TEST_F(FormRunTest, CancelEndsTheProgramAndLeavesResultsTxt) {
    writeSingleExample();
    fs::remove(folder / "bins.txt");
    folder.write("Results.txt", "old report");
    platform.answers = {rt::Answer::Cancel};
    view.choose("optSingleValues");
    form.cmdGo_Click();
    EXPECT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.endCount, 1);
    EXPECT_EQ(caption(), "Go");
    EXPECT_EQ(folder.read("Results.txt"), "old report");
}

TEST_F(FormRunTest, ProgramErrorEndsTheProgram) {
    folder.write("bins.txt", "0\n1\n");
    folder.write("Data.txt", "1E999\n");
    view.choose("optSingleValues");
    form.cmdGo_Click();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, binning::ProgramErrorMessage());
    EXPECT_EQ(platform.boxes[0].buttons, rt::Buttons::Ok);
    EXPECT_EQ(platform.endCount, 1);
    EXPECT_FALSE(folder.exists("Results.txt"));
}

TEST_F(FormRunTest, ClosingTheWindowWhileDataIsCountedEndsWithoutAReport) {
    folder.write("bins.txt", "0\n10\n");
    std::string data;
    for (int i = 0; i < (3 << 19); ++i) data += "5\n";  // three blocks
    folder.write("Data.txt", data);
    folder.write("Results.txt", "an old report");
    view.choose("optSingleValues");
    form::LiveRun::setIntervals(std::chrono::milliseconds(0), std::chrono::milliseconds(0));
    std::string during;
    view.onServe = [&] {
        during = view.text("cmdGo");
        view.closed = true;
    };
    form.cmdGo_Click();
    form::LiveRun::setIntervals(std::chrono::milliseconds(500), std::chrono::milliseconds(100));
    EXPECT_TRUE(during.starts_with("Counting... ")) << during;
    EXPECT_EQ(view.runs, 0);
    EXPECT_EQ(platform.endCount, 1);
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(folder.read("Results.txt"), "an old report");
}

TEST_F(FormRunTest, AClickAfterTheRunEndsTheProgramWithoutTouchingFiles) {
    writeSingleExample();
    view.choose("optSingleValues");
    form.cmdGo_Click();
    ASSERT_EQ(platform.endCount, 0);
    // A changed option and changed files make no difference.
    view.choose("optPairsOfValues");
    fs::remove(folder / "Data.txt");
    folder.write("Results.txt", "kept");
    form.cmdGo_Click();
    EXPECT_EQ(platform.endCount, 1);
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(folder.read("Results.txt"), "kept");
    EXPECT_EQ(files(), (std::vector<std::string>{"Results.txt", "bins.txt"}));
}

TEST_F(FormHelpTest, SameTextBeforeAndAfterARunChangingNothing) {
    form.mnuHelp_Click();
    EXPECT_EQ(caption(), "Go");
    EXPECT_FALSE(form.alreadyClicked());
    EXPECT_TRUE(files().empty());

    writeSingleExample();
    view.choose("optSingleValues");
    form.cmdGo_Click();
    form.mnuHelp_Click();
    EXPECT_EQ(caption(), BinningForm::kDoneCaption);
    EXPECT_TRUE(form.alreadyClicked());
    EXPECT_EQ(platform.endCount, 0);

    ASSERT_EQ(platform.boxes.size(), 2u);
    for (const auto& box : platform.boxes) {
        EXPECT_EQ(box.text, kHelp);
        EXPECT_EQ(box.title, "Binning");
        EXPECT_EQ(box.buttons, rt::Buttons::Ok);
    }
}

}  // namespace
