// A folder where a program expects a file. Opening it for reading or writing is a permission
// failure (error 70): Binning asks with its permission box (Cancel ends the program, OK tries
// again), Chainmaker and Splitword report it as an unhandled error and end, and Chainmaker's
// exclude.txt gets its own message. Binning's test for Bins1.txt and Bins2.txt asks for files, so
// a folder of that name is not there for it.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "binning_form.h"
#include "binning_job.h"
#include "harness/folder_snapshot.h"
#include "harness/programs.h"
#include "temp_folder.h"

namespace badinput {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;
using testing_support::ScriptedPlatform;
using testing_support::TempFolder;

const std::string kOldReport = "an earlier report\r\n";

std::string IsAFolder(const std::string& name) {
    return name + " is a folder, not a file: rename or remove it";
}

Reference StoppedWith(std::string message, std::set<std::string> untouched) {
    Reference reference;
    reference.result = Result::Stopped;
    reference.message = std::move(message);
    reference.untouched = std::move(untouched);
    return reference;
}

struct FolderCase {
    const char* name;
    Program program;
    Settings settings;
    Files files;
    const char* folder;  // the name that is a folder, with a file inside it
    Reference expected;
};

void PrintTo(const FolderCase& c, std::ostream* out) {
    *out << c.name;
}

const FolderCase kCases[] = {
    {"BinningBinsTxt",
     Program::Binning,
     {},
     {{"Data.txt", kData}, {"Results.txt", kOldReport}},
     "bins.txt",
     EndedOn(70, {"Results.txt"})},
    {"BinningDataTxt",
     Program::Binning,
     {},
     {{"bins.txt", kBins}, {"Results.txt", kOldReport}},
     "Data.txt",
     EndedOn(70, {"Results.txt"})},
    {"BinningDataTxtForPairs",
     Program::Binning,
     Pairs(),
     {{"bins.txt", kBins}, {"Results.txt", kOldReport}},
     "Data.txt",
     EndedOn(70, {"Results.txt"})},
    {"BinningBinsTxtForPairs",
     Program::Binning,
     Pairs(),
     {{"Data.txt", kPairs}, {"Results.txt", kOldReport}},
     "bins.txt",
     EndedOn(70, {"Results.txt"})},
    {"BinningResultsTxt",
     Program::Binning,
     {},
     {{"bins.txt", kBins}, {"Data.txt", kData}},
     "Results.txt",
     EndedOn(70, {"Results.txt"})},
    // A folder Bins1.txt (or Bins2.txt) is no cutoff file: bins.txt serves both values.
    {"BinningBins1TxtIsNoCutoffFile",
     Program::Binning,
     Pairs(),
     {{"bins.txt", kBins}, {"Bins2.txt", "0\n100\n"}, {"Data.txt", kPairs}},
     "Bins1.txt",
     Completed({{"Results.txt", kPairsReport}})},
    {"BinningBins2TxtIsNoCutoffFile",
     Program::Binning,
     Pairs(),
     {{"bins.txt", kBins}, {"Bins1.txt", "0\n100\n"}, {"Data.txt", kPairs}},
     "Bins2.txt",
     Completed({{"Results.txt", kPairsReport}})},
    {"ChainmakerInTxt",
     Program::Chainmaker,
     {},
     {{"out.txt", "old\r\n"}},
     "in.txt",
     EndedOn(70, {"out.txt"}, IsAFolder("in.txt"))},
    {"ChainmakerExcludeTxt",
     Program::Chainmaker,
     Excluding(true),
     {{"in.txt", "a\nb\n"}, {"out.txt", "old\r\n"}},
     "exclude.txt",
     StoppedWith(std::string(kExcludeMissingBox), {"out.txt"})},
    {"ChainmakerExcludeTxtNotAskedFor",
     Program::Chainmaker,
     Excluding(false),
     {{"in.txt", "a\nb\n"}},
     "exclude.txt",
     Completed({{"out.txt",
                 "a\r\nb\r\na a\r\na b\r\nb a\r\nb b\r\na a a\r\na a b\r\na b a\r\n"
                 "a b b\r\nb a a\r\nb a b\r\nb b a\r\nb b b\r\n"}})},
    {"ChainmakerOutTxt",
     Program::Chainmaker,
     {},
     {{"in.txt", "a\nb\n"}},
     "out.txt",
     EndedOn(70, {"out.txt"}, IsAFolder("out.txt"))},
    {"SplitwordInTxt",
     Program::Splitword,
     {},
     {{"out.txt", "old\r\n"}, {"Debug.txt", "old\r\n"}},
     "in.txt",
     EndedOn(70, {"Debug.txt", "out.txt"}, IsAFolder("in.txt"))},
    {"SplitwordDebugTxt",
     Program::Splitword,
     {},
     {{"in.txt", "black\nbird\nblackbird\n"}, {"out.txt", "old\r\n"}},
     "Debug.txt",
     EndedOn(70, {"Debug.txt", "out.txt"}, IsAFolder("Debug.txt"))},
    {"SplitwordOutTxt",
     Program::Splitword,
     {},
     {{"in.txt", "black\nbird\nblackbird\n"}},
     "out.txt",
     [] {
         Reference reference = EndedOn(70, {"out.txt"}, IsAFolder("out.txt"));
         reference.outputs["Debug.txt"] = "black\r\nbird\r\nblackbird\r\n";
         return reference;
     }()},
};

class FolderNameTest : public ::testing::TestWithParam<FolderCase> {};

TEST_P(FolderNameTest, GivesTheProgramsOwnAnswer) {
    const FolderCase& c = GetParam();
    TempFolder folder;
    for (const auto& [name, bytes] : c.files) folder.write(name, bytes);
    fs::create_directory(folder / c.folder);
    folder.write(std::string(c.folder) + "/inside.txt", "1\n2\n");
    CheckRun(c.program, folder.path(), c.settings, c.expected);
}

INSTANTIATE_TEST_SUITE_P(InputAndOutputNames, FolderNameTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// OK on Binning's permission box carries out the failed opening again: with the folder replaced
// by the file, the run completes without a new click.
TEST(FolderName, BinningTriesAgainAfterOk) {
    TempFolder folder;
    folder.write("bins.txt", kBins);
    fs::create_directory(folder / "Data.txt");
    ScriptedPlatform platform;
    platform.answers = {rt::Answer::Ok};
    platform.onBox = [&](const ScriptedPlatform::Box&) {
        fs::remove(folder / "Data.txt");
        folder.write("Data.txt", kData);
    };
    Window window(Program::Binning, folder.path(), {}, platform);
    window.click();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, kPermissionBox);
    EXPECT_EQ(platform.boxes[0].buttons, rt::Buttons::OkCancel);
    EXPECT_EQ(platform.endCount, 0);
    EXPECT_EQ(window.caption(), DoneCaption(Program::Binning));
    EXPECT_EQ(folder.read("Results.txt"), kSingleReport);
}

// Clicking OK without changing anything shows the box again, until Cancel.
TEST(FolderName, BinningAsksAgainWhileTheFolderIsThere) {
    TempFolder folder;
    folder.write("Data.txt", kData);
    fs::create_directory(folder / "bins.txt");
    ScriptedPlatform platform;
    platform.answers = {rt::Answer::Ok, rt::Answer::Ok, rt::Answer::Cancel};
    Window window(Program::Binning, folder.path(), {}, platform);
    window.click();
    ASSERT_EQ(platform.boxes.size(), 3u);
    for (const auto& box : platform.boxes) EXPECT_EQ(box.text, kPermissionBox);
    EXPECT_EQ(platform.endCount, 1);
    EXPECT_EQ(window.caption(), "Go");
    EXPECT_FALSE(folder.exists("Results.txt"));
}

}  // namespace
}  // namespace badinput
