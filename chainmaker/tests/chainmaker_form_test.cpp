// The window's protocol over a scripted view: the clicks, the separator, the boxes and out.txt,
// without a toolkit.
#include "chainmaker_form.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>

#include "program_texts.h"
#include "runtime_error.h"
#include "scripted_platform.h"
#include "scripted_view.h"
#include "temp_folder.h"

namespace {

using testing_support::ScriptedPlatform;
using testing_support::ScriptedView;
using testing_support::TempFolder;
using testing_support::UnhandledReport;

const std::string kHelp =
    "Forms all string combinations of a list of strings; for example, { a, b } gives {a, b, aa, "
    "ab, ba, bb, aaa, aab, aba, abb, baa, bab, bba, bbb }.  Input file assumed to be in this "
    "folder, named in in.txt, output file will also be in this folder and be named out.txt.";

// A window on a fresh folder.
class ChainmakerFormTest : public ::testing::Test {
  protected:
    ScriptedPlatform platform;
    TempFolder folder;
    ScriptedView view{ChainmakerForm::Declaration()};
    ChainmakerForm form{view, platform, folder.path()};

    std::string caption() const { return view.text("Command1"); }
    void tick(const char* name, bool on) { view.choose(name, on); }
};

TEST_F(ChainmakerFormTest, HelpBeforeAndAfterARunShowsTheSameText) {
    folder.write("in.txt", "a\r\n");
    view.click("mnuHlp", form.handlers());
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, kHelp);
    EXPECT_EQ(platform.boxes[0].buttons, rt::Buttons::Ok);
    EXPECT_EQ(platform.boxes[0].title, "");
    EXPECT_FALSE(form.alreadyClicked());
    EXPECT_EQ(caption(), "Go");
    EXPECT_FALSE(folder.exists("out.txt"));

    view.click("Command1", form.handlers());
    ASSERT_EQ(platform.boxes.size(), 1u);
    form.mnuHlp_Click();
    ASSERT_EQ(platform.boxes.size(), 2u);
    EXPECT_EQ(platform.boxes[1].text, kHelp);
    EXPECT_EQ(caption(), ChainmakerForm::kDoneCaption);
    EXPECT_EQ(platform.endCount, 0);
}

TEST_F(ChainmakerFormTest, DefaultRunWritesTheExampleWithSpaces) {
    folder.write("in.txt", "a\r\nb\r\n");
    view.click("Command1", form.handlers());
    EXPECT_EQ(folder.read("out.txt"),
              "a\r\nb\r\na a\r\na b\r\nb a\r\nb b\r\na a a\r\na a b\r\na b a\r\na b b\r\n"
              "b a a\r\nb a b\r\nb b a\r\nb b b\r\n");
    EXPECT_EQ(caption(), ChainmakerForm::kDoneCaption);
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(platform.endCount, 0);
    EXPECT_TRUE(form.alreadyClicked());
    EXPECT_EQ(form.inputCount(), 2);
}

TEST_F(ChainmakerFormTest, ARunNoDiskHoldsIsNotStartedAndTheNextClickIsAFreshRun) {
    // 2000 strings in block six: 6.4 * 10^19 lines, more than any disk.
    std::string strings;
    for (int i = 0; i < 2000; ++i) strings += "s" + std::to_string(i) + "\n";
    folder.write("in.txt", strings);
    folder.write("out.txt", "old\r\n");
    tick("chkSix", true);
    view.click("Command1", form.handlers());
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].buttons, rt::Buttons::Ok);
    EXPECT_NE(platform.boxes[0].text.find("64,000,000,008,004,002,000 lines"), std::string::npos)
        << platform.boxes[0].text;
    EXPECT_EQ(folder.read("out.txt"), "old\r\n");
    EXPECT_EQ(caption(), "Go");
    EXPECT_FALSE(form.alreadyClicked());

    // The settings of the next click count: block one alone, from the list as it is then.
    folder.write("in.txt", "a\n");
    for (const char* box : {"chkTwo", "chkThree", "chkSix"}) tick(box, false);
    view.click("Command1", form.handlers());
    EXPECT_EQ(folder.read("out.txt"), "a\r\n");
    EXPECT_EQ(caption(), ChainmakerForm::kDoneCaption);
    EXPECT_EQ(platform.endCount, 0);
}

TEST_F(ChainmakerFormTest, ClickAfterDoneEndsWithoutTouchingFiles) {
    folder.write("in.txt", "a\r\n");
    form.Command1_Click();
    ASSERT_EQ(caption(), ChainmakerForm::kDoneCaption);
    folder.write("in.txt", "b\r\n");
    folder.write("out.txt", "kept\r\n");
    view.click("Command1", form.handlers());
    EXPECT_EQ(platform.endCount, 1);
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(folder.read("out.txt"), "kept\r\n");
    EXPECT_EQ(form.inputCount(), 1);
}

TEST_F(ChainmakerFormTest, MissingExcludeFileStopsTheRunAndTheNextClickEnds) {
    folder.write("in.txt", "a\r\n");
    folder.write("out.txt", "old\r\n");
    tick("chkExclude", true);
    form.Command1_Click();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, testing_support::chainmaker_texts::kExcludeMissingBox);
    EXPECT_EQ(platform.boxes[0].buttons, rt::Buttons::Ok);
    EXPECT_EQ(platform.boxes[0].title, "");
    EXPECT_TRUE(form.excludeFileMissing());
    EXPECT_EQ(form.separator(), " ") << "settled before the run";
    EXPECT_EQ(folder.read("out.txt"), "old\r\n");
    EXPECT_EQ(caption(), "Go");
    EXPECT_EQ(platform.endCount, 0);
    EXPECT_TRUE(form.alreadyClicked());

    // Putting the file in place does not make the next click a new run.
    folder.write("exclude.txt", "a\r\n");
    form.Command1_Click();
    EXPECT_EQ(platform.endCount, 1);
    EXPECT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(folder.read("out.txt"), "old\r\n");
}

TEST_F(ChainmakerFormTest, UnreadableExcludeFileGivesTheSameMessage) {
    folder.write("in.txt", "a\r\n");
    std::filesystem::create_directory(folder / "exclude.txt");
    tick("chkExclude", true);
    form.Command1_Click();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, testing_support::chainmaker_texts::kExcludeMissingBox);
    EXPECT_FALSE(folder.exists("out.txt"));
}

TEST_F(ChainmakerFormTest, MissingInputIsReportedAndEndsBeforeExcludeIsLookedAt) {
    tick("chkExclude", true);
    form.Command1_Click();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, UnhandledReport(53));
    EXPECT_EQ(platform.boxes[0].buttons, rt::Buttons::Ok);
    EXPECT_EQ(platform.endCount, 1);
    EXPECT_EQ(caption(), "Go");
    EXPECT_FALSE(folder.exists("out.txt"));
}

TEST_F(ChainmakerFormTest, OutputThatCannotBeCreatedIsReportedAndEnds) {
    folder.write("in.txt", "a\r\n");
    std::filesystem::create_directory(folder / "out.txt");
    form.Command1_Click();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text,
              UnhandledReport(70, "out.txt is a folder, not a file: rename or remove it"));
    EXPECT_EQ(platform.endCount, 1);
    EXPECT_EQ(caption(), "Go");
}

TEST_F(ChainmakerFormTest, ExclusionOffNeverLooksForTheFile) {
    folder.write("in.txt", "a\r\n");
    tick("chkTwo", false);
    tick("chkThree", false);
    form.Command1_Click();
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(folder.read("out.txt"), "a\r\n");
}

TEST_F(ChainmakerFormTest, ExcludedLinesAreLeftOut) {
    folder.write("in.txt", "a\r\nb\r\n");
    folder.write("exclude.txt", "b\r\na b\r\nb b b\r\n");
    tick("chkExclude", true);
    form.Command1_Click();
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(form.excludeCount(), 3);
    EXPECT_EQ(folder.read("out.txt"),
              "a\r\na a\r\nb a\r\nb b\r\na a a\r\na a b\r\na b a\r\na b b\r\n"
              "b a a\r\nb a b\r\nb b a\r\n");
}

TEST_F(ChainmakerFormTest, NoBlockTickedGivesAnEmptyFileAndDone) {
    folder.write("in.txt", "a\r\n");
    folder.write("out.txt", "old\r\n");
    for (const char* name : {"chkOne", "chkTwo", "chkThree"}) tick(name, false);
    form.Command1_Click();
    EXPECT_TRUE(folder.exists("out.txt"));
    EXPECT_EQ(folder.read("out.txt"), "");
    EXPECT_EQ(caption(), ChainmakerForm::kDoneCaption);
}

TEST_F(ChainmakerFormTest, AllSixBlocksForOneString) {
    folder.write("in.txt", "w\r\n");
    for (const char* name : {"chkFour", "chkFive", "chkSix"}) tick(name, true);
    view.choose("optTab");
    form.Command1_Click();
    EXPECT_EQ(folder.read("out.txt"),
              "w\r\nw\tw\r\nw\tw\tw\r\nw\tw\tw\tw\r\nw\tw\tw\tw\tw\r\nw\tw\tw\tw\tw\tw\r\n");
}

TEST_F(ChainmakerFormTest, LinesReachOutTxtOnlyDuringARun) {
    folder.write("in.txt", "x\r\n");
    EXPECT_FALSE(folder.exists("out.txt"));
    form.Command1_Click();
    EXPECT_EQ(folder.read("out.txt"), "x\r\nx x\r\nx x x\r\n");
    form.mnuHlp_Click();
    EXPECT_EQ(folder.read("out.txt"), "x\r\nx x\r\nx x x\r\n");
}

// ---- Separator --------------------------------------------------------------------------------

struct SeparatorCase {
    const char* name;
    const char* option;
    const char* typed;
    std::string separator;
};

void PrintTo(const SeparatorCase& c, std::ostream* os) {
    *os << c.name;
}

class SeparatorTest : public ChainmakerFormTest,
                      public ::testing::WithParamInterface<SeparatorCase> {};

TEST_P(SeparatorTest, ComesFromTheSelectedOption) {
    view.choose(GetParam().option);
    view.setText("txtSeparator", GetParam().typed);
    form.EstablishSeparator();
    EXPECT_EQ(form.separator(), GetParam().separator);
}

INSTANTIATE_TEST_SUITE_P(
    Options, SeparatorTest,
    ::testing::Values(SeparatorCase{"Space", "optSpace", "", " "},
                      SeparatorCase{"SpaceIgnoresTheBox", "optSpace", "xyz", " "},
                      SeparatorCase{"Tab", "optTab", "", "\t"},
                      SeparatorCase{"None", "optNoSeparator", "-", ""},
                      SeparatorCase{"OtherUntrimmed", "optOtherSeparator", " - ", " - "},
                      SeparatorCase{"OtherEmpty", "optOtherSeparator", "", ""},
                      SeparatorCase{"OtherUtf8", "optOtherSeparator", "\xC2\xB7", "\xC2\xB7"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ChainmakerFormTest, OtherSeparatorIsUsedInTheRun) {
    folder.write("in.txt", "x\r\ny\r\n");
    tick("chkOne", false);
    tick("chkThree", false);
    view.choose("optOtherSeparator");
    view.setText("txtSeparator", " :: ");
    form.Command1_Click();
    EXPECT_EQ(folder.read("out.txt"), "x :: x\r\nx :: y\r\ny :: x\r\ny :: y\r\n");
}

}  // namespace
