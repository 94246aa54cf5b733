// Folders that come from other people: a link planted under an output's name (in any letter
// case) is not written through when it leads out of the folder, and an input is read only when
// it is an ordinary file inside the folder. Either way the run ends on error 70, nothing is
// written anywhere and the file outside keeps its bytes. Links inside the folder work as files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <ostream>
#include <string>

#include "harness/programs.h"
#include "temp_folder.h"

namespace badinput {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

const std::string kPrivate = "ssh-ed25519 AAAA... the user's own key\n";

struct LinkCase {
    const char* name;
    Program program;
    Files files;
    const char* linked;  // the name in the data folder
    const char* target;  // where it leads, relative to the data folder ("" for a pipe)
    Reference expected;
};

void PrintTo(const LinkCase& c, std::ostream* out) {
    *out << c.name;
}

const Files kBinning = {{"bins.txt", kBins}, {"Data.txt", kData}};
const Files kChainmaker = {{"in.txt", "ssh-ed25519 AAAA... the attacker's key\n"}};
const Files kSplitword = {{"in.txt", "black\nbird\nblackbird\n"}};
const Files kNoFiles;

std::string LeadsOut(const std::string& name) {
    return name + " is a link that leads out of this folder: remove it or replace it by a file";
}
std::string SameFile(const std::string& output, const std::string& input) {
    return output + " is the same file as " + input + ", which this run uses: remove " + output +
           " or replace it by a file of its own";
}
std::string IsAPipe(const std::string& name) {
    return name + " is a pipe, a socket or a device, not a file: replace it by a file";
}

// Splitword writes Debug.txt, then fails on out.txt.
Reference DebugTxtThenEndedOn70() {
    Reference reference = EndedOn(70, {"out.txt"}, LeadsOut("OUT.TXT"));
    reference.outputs["Debug.txt"] = "black\r\nbird\r\nblackbird\r\n";
    return reference;
}

const LinkCase kCases[] = {
    {"BinningResultsOut", Program::Binning, kBinning, "Results.txt", "../outside/keys",
     EndedOn(70, {"Results.txt"})},
    {"BinningResultsOtherCaseOut", Program::Binning, kBinning, "RESULTS.TXT", "../outside/keys",
     EndedOn(70, {"Results.txt"})},
    {"BinningResultsOutNotYetThere", Program::Binning, kBinning, "Results.txt", "../outside/new",
     EndedOn(70, {"Results.txt"})},
    {"ChainmakerOutOut", Program::Chainmaker, kChainmaker, "out.txt", "../outside/keys",
     EndedOn(70, {"out.txt"}, LeadsOut("out.txt"))},
    {"ChainmakerOutOtherCaseOut", Program::Chainmaker, kChainmaker, "OUT.TXT", "../outside/keys",
     EndedOn(70, {"out.txt"}, LeadsOut("OUT.TXT"))},
    {"SplitwordDebugOut", Program::Splitword, kSplitword, "Debug.txt", "../outside/keys",
     EndedOn(70, {"Debug.txt", "out.txt"}, LeadsOut("Debug.txt"))},
    {"SplitwordOutOtherCaseOut", Program::Splitword, kSplitword, "OUT.TXT", "../outside/keys",
     DebugTxtThenEndedOn70()},
    {"BinningDataOut",
     Program::Binning,
     {{"bins.txt", "0\n10\n"}},
     "Data.txt",
     "../outside/keys",
     EndedOn(70, {"Results.txt"})},
    {"ChainmakerInOut", Program::Chainmaker, kNoFiles, "in.txt", "../outside/keys",
     EndedOn(70, {"out.txt"}, LeadsOut("in.txt"))},
    {"SplitwordInOut", Program::Splitword, kNoFiles, "in.txt", "../outside/keys",
     EndedOn(70, {"Debug.txt", "out.txt"}, LeadsOut("in.txt"))},
    {"ChainmakerInEndless", Program::Chainmaker, kNoFiles, "in.txt", "/dev/zero",
     EndedOn(70, {"out.txt"}, LeadsOut("in.txt"))},
    {"ChainmakerInPipe", Program::Chainmaker, kNoFiles, "in.txt", "",
     EndedOn(70, {"out.txt"}, IsAPipe("in.txt"))},
    {"SplitwordInPipe", Program::Splitword, kNoFiles, "in.txt", "",
     EndedOn(70, {"Debug.txt", "out.txt"}, IsAPipe("in.txt"))},
    {"SplitwordDebugPipe", Program::Splitword, kSplitword, "Debug.txt", "",
     EndedOn(70, {"Debug.txt", "out.txt"}, IsAPipe("Debug.txt"))},
    // An output that leads to an input of the same run would overwrite it.
    {"BinningResultsIsData", Program::Binning, kBinning, "Results.txt", "Data.txt",
     EndedOn(70, {"Results.txt"})},
    {"ChainmakerOutIsIn", Program::Chainmaker, kChainmaker, "out.txt", "in.txt",
     EndedOn(70, {"out.txt"}, SameFile("out.txt", "in.txt"))},
    {"SplitwordDebugIsIn", Program::Splitword, kSplitword, "Debug.txt", "in.txt",
     EndedOn(70, {"Debug.txt", "out.txt"}, SameFile("Debug.txt", "in.txt"))},
    {"BinningResultsIntoASubFolder",
     Program::Binning,
     {{"bins.txt", kBins}, {"Data.txt", kData}, {"reports/Results.txt", "an old report"}},
     "Results.txt",
     "reports/Results.txt",
     Completed({{"Results.txt", kSingleReport}})},
    {"ChainmakerInFromASubFolder",
     Program::Chainmaker,
     {{"lists/strings.txt", "a\nb\n"}},
     "in.txt",
     "lists/strings.txt",
     Completed({{"out.txt",
                 "a\r\nb\r\na a\r\na b\r\nb a\r\nb b\r\na a a\r\na a b\r\na b a\r\n"
                 "a b b\r\nb a a\r\nb a b\r\nb b a\r\nb b b\r\n"}})},
};

class LinksAndPipesTest : public ::testing::TestWithParam<LinkCase> {};

TEST_P(LinksAndPipesTest, NothingOutsideTheFolderIsReadOrWritten) {
    const LinkCase& c = GetParam();
    testing_support::TempFolder root;
    fs::create_directories(root / "data/reports");
    fs::create_directories(root / "data/lists");
    fs::create_directories(root / "outside");
    root.write("outside/keys", kPrivate);
    const fs::path data = root / "data";
    for (const auto& [name, bytes] : c.files) root.write("data/" + name, bytes);
    if (*c.target == '\0') {
        ASSERT_EQ(::mkfifo((data / c.linked).c_str(), 0600), 0);
    } else {
        fs::create_symlink(c.target, data / c.linked);
    }
    CheckRun(c.program, data, {}, c.expected);
    EXPECT_EQ(root.read("outside/keys"), kPrivate);
    EXPECT_FALSE(root.exists("outside/new"));
}

INSTANTIATE_TEST_SUITE_P(PlantedInTheFolder, LinksAndPipesTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A file with a second name (a hard link, as an archive or `cp -al` makes) may be anyone's: an
// output of that name gets a file of its own and the other name keeps its bytes; an input of that
// name is refused before a byte of it is read.
struct HardLinkCase {
    const char* name;
    Program program;
    Files files;
    const char* linked;  // the second name, in the data folder, of outside/keys
    bool input;
};

void PrintTo(const HardLinkCase& c, std::ostream* out) {
    *out << c.name;
}

const std::string kSecondName =
    " has a second name elsewhere (a hard link): copy it to give the folder its own file";

const HardLinkCase kHardLinks[] = {
    {"BinningResults", Program::Binning, kBinning, "Results.txt", false},
    {"ChainmakerOut", Program::Chainmaker, kChainmaker, "out.txt", false},
    {"SplitwordDebug", Program::Splitword, kSplitword, "Debug.txt", false},
    {"BinningData", Program::Binning, {{"bins.txt", kBins}}, "Data.txt", true},
    {"ChainmakerIn", Program::Chainmaker, kNoFiles, "in.txt", true},
    {"SplitwordIn", Program::Splitword, kNoFiles, "in.txt", true},
};

class HardLinkTest : public ::testing::TestWithParam<HardLinkCase> {};

TEST_P(HardLinkTest, TheOtherNameKeepsItsBytes) {
    const HardLinkCase& c = GetParam();
    testing_support::TempFolder root;
    fs::create_directories(root / "data");
    fs::create_directories(root / "outside");
    root.write("outside/keys", kPrivate);
    const fs::path data = root / "data";
    for (const auto& [name, bytes] : c.files) root.write("data/" + name, bytes);
    fs::create_hard_link(root / "outside/keys", data / c.linked);
    if (c.input) {
        CheckRun(c.program, data, {}, EndedOn(70, OutputNames(c.program), c.linked + kSecondName));
    } else {
        EXPECT_EQ(CheckAgainstPlain(c.program, data, {}), Result::Completed);
        EXPECT_EQ(fs::hard_link_count(data / c.linked), 1u);
    }
    EXPECT_EQ(root.read("outside/keys"), kPrivate);
}

INSTANTIATE_TEST_SUITE_P(SecondNames, HardLinkTest, ::testing::ValuesIn(kHardLinks),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace badinput
