// The window's protocol over a scripted view: the two clicks, the threshold box, the captions and
// the unhandled errors, without a toolkit.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "current_folder.h"
#include "form/live_run.h"
#include "program_texts.h"
#include "scripted_platform.h"
#include "scripted_view.h"
#include "splitword_form.h"
#include "temp_folder.h"

namespace {

using testing_support::CurrentFolder;
using testing_support::ScriptedPlatform;
using testing_support::ScriptedView;
using testing_support::TempFolder;
using testing_support::UnhandledReport;
namespace texts = testing_support::splitword_texts;

const std::string& kHeader = texts::kCompoundHeader;

// A window whose folder of data is the current folder, recording the captions it shows.
class SplitwordFormTest : public ::testing::Test {
  protected:
    SplitwordFormTest() {
        form.onCaption = [this](const std::string& caption) { captions.push_back(caption); };
    }

    TempFolder folder;
    CurrentFolder current{folder.path()};
    ScriptedPlatform platform;
    ScriptedView view{SplitwordForm::Declaration()};
    SplitwordForm form{view, platform};
    std::vector<std::string> captions;
};
using SplitwordFormRun = SplitwordFormTest;

TEST_F(SplitwordFormRun, FirstClickRunsOnTheCurrentFolder) {
    folder.write("in.txt", "black\nbird\nblackbird\n");
    view.setText("ThresholdLength", " 3 ");
    form.Command1_Click();
    EXPECT_EQ(view.text("ThresholdLength"), "3");
    EXPECT_EQ(folder.read("Debug.txt"), "black\r\nbird\r\nblackbird\r\n");
    EXPECT_EQ(folder.read("out.txt"), kHeader + "blackbird\tblack\tbird\r\n");
    EXPECT_EQ(captions, (std::vector<std::string>{"Reading input file ...", texts::kDoneCaption}));
    EXPECT_EQ(view.text("Command1"), texts::kDoneCaption);
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_FALSE(platform.ended());
}

TEST_F(SplitwordFormRun, ProgressCaptionsEveryHundredWords) {
    std::string list;
    for (int k = 0; k < 250; ++k) list += "word" + std::to_string(k) + "\n";
    folder.write("in.txt", list);
    form.Command1_Click();
    EXPECT_EQ(captions,
              (std::vector<std::string>{"Reading input file ...", "Working on #100 out of 250",
                                        "Working on #200 out of 250", texts::kDoneCaption}));
}

TEST_F(SplitwordFormRun, ClosingTheWindowDuringTheSearchEndsAfterWholeLines) {
    std::string list = "black\nbird\nblackbird\n";
    for (int k = 0; k < 250; ++k) list += "word" + std::to_string(k) + "\n";
    folder.write("in.txt", list);
    form::LiveRun::setIntervals(std::chrono::milliseconds(0), std::chrono::milliseconds(0));
    view.onServe = [&] { view.closed = true; };
    form.Command1_Click();
    form::LiveRun::setIntervals(std::chrono::milliseconds(500), std::chrono::milliseconds(100));
    EXPECT_EQ(platform.endCount, 1);
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(view.runs, 0);
    // Stopped before the lines of word 100 were written: whole lines, at most the one find.
    const std::string out = folder.read("out.txt");
    EXPECT_TRUE(out == kHeader || out == kHeader + "blackbird\tblack\tbird\r\n") << out;
}

TEST_F(SplitwordFormRun, SecondClickEndsWithoutTouchingFiles) {
    folder.write("in.txt", "ab\n");
    form.Command1_Click();
    folder.write("in.txt", "cd\ncdcd\n");
    folder.write("out.txt", "kept");
    view.setText("ThresholdLength", "abc");
    captions.clear();
    form.Command1_Click();
    EXPECT_EQ(platform.endCount, 1);
    EXPECT_EQ(folder.read("out.txt"), "kept");
    EXPECT_EQ(folder.read("Debug.txt"), "ab\r\n");
    EXPECT_EQ(view.text("ThresholdLength"), "abc");
    EXPECT_TRUE(captions.empty());
}

TEST_F(SplitwordFormRun, FractionalThresholdAppliesToTheWords) {
    folder.write("in.txt", "ab\nabc\n\n");
    view.setText("ThresholdLength", "2.5");
    form.Command1_Click();
    EXPECT_EQ(folder.read("Debug.txt"), "abc\r\n");
}

TEST_F(SplitwordFormRun, MissingInputIsReportedAndEnds) {
    folder.write("Debug.txt", "old debug");
    folder.write("out.txt", "old out");
    view.setText("ThresholdLength", " 4x");
    form.Command1_Click();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, UnhandledReport(53));
    EXPECT_EQ(platform.endCount, 1);
    EXPECT_EQ(view.text("ThresholdLength"), "4");
    EXPECT_EQ(view.text("Command1"), "Reading input file ...");
    EXPECT_EQ(folder.read("Debug.txt"), "old debug");
    EXPECT_EQ(folder.read("out.txt"), "old out");
}

// 300,000 ab and 300,000 abab: 9 * 10^10 lines, more than a terabyte. Whether the disk cannot
// hold it or the question is answered Cancel, nothing is written and the button says Go again;
// the next click is a new run.
TEST_F(SplitwordFormRun, AnOutputTooLargeLeadsBackToGo) {
    std::string list;
    for (int k = 0; k < 300000; ++k) list += "ab\n";
    for (int k = 0; k < 300000; ++k) list += "abab\n";
    folder.write("in.txt", list);
    platform.answers = {rt::Answer::Cancel};
    view.setText("ThresholdLength", " 2x");
    form.Command1_Click();
    ASSERT_EQ(platform.boxes.size(), 1u);
    const std::string& box = platform.boxes[0].text;
    EXPECT_TRUE(
        box.starts_with("This run would write 90,000,000,001 lines (1,005.8 GiB) to out.txt") ||
        box.starts_with("This run will write 90,000,000,001 lines (1,005.8 GiB) to out.txt"))
        << box;
    EXPECT_EQ(view.text("Command1"), "Go");
    EXPECT_EQ(view.text("ThresholdLength"), "2");
    EXPECT_FALSE(folder.exists("Debug.txt"));
    EXPECT_FALSE(folder.exists("out.txt"));
    EXPECT_FALSE(platform.ended());

    folder.write("in.txt", "black\nbird\nblackbird\n");
    form.Command1_Click();
    EXPECT_FALSE(platform.ended());
    EXPECT_EQ(folder.read("out.txt"), kHeader + "blackbird\tblack\tbird\r\n");
    // Progress may show while the search's first lines are held, before the size is known.
    std::erase_if(captions,
                  [](const std::string& caption) { return caption.starts_with("Working on #"); });
    EXPECT_EQ(captions, (std::vector<std::string>{"Reading input file ...", "Go",
                                                  "Reading input file ...", texts::kDoneCaption}));
}

TEST_F(SplitwordFormRun, ThresholdTooLargeIsReportedBeforeAnyFile) {
    folder.write("in.txt", "ab\n");
    view.setText("ThresholdLength", "1e999");
    form.Command1_Click();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, UnhandledReport(6));
    EXPECT_EQ(platform.endCount, 1);
    EXPECT_FALSE(folder.exists("Debug.txt"));
    EXPECT_FALSE(folder.exists("out.txt"));
    EXPECT_EQ(view.text("Command1"), "Go");
}

}  // namespace
