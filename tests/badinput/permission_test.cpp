// Files the user may not read or write: an input without read permission, an output that is
// read-only, a folder that is read-only. The tests run as root in CI, where permissions do not
// bind, so each run happens as user nobody in a child process (as the user themselves when that is
// not root, with the files made unusable to their owner too): the job exactly as the window runs
// it, without Qt, its outcome handed back as the exit status. Every such failure is a permission
// failure (error 70): Binning shows its permission box (answered Cancel, which ends the program),
// Chainmaker and Splitword let the error pass to their report of an unhandled error. The files are
// compared afterwards in the parent.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <ostream>
#include <set>
#include <string>

#include "binning_job.h"
#include "chainmaker_job.h"
#include "harness/folder_snapshot.h"
#include "harness/programs.h"
#include "runtime_error.h"
#include "scripted_platform.h"
#include "splitword_job.h"
#include "temp_folder.h"
#include "unprivileged.h"

namespace badinput {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;
using testing_support::ScriptedPlatform;

// What the child saw, as its exit status.
enum Seen : int {
    kCompleted = 1,
    kStoppedOnCutoffs = 2,
    kPermissionBoxThenEnd = 10,
    kNotFoundBoxThenEnd = 11,
    kProgramErrorBoxThenEnd = 12,
    kOtherBoxesThenEnd = 13,
    kOtherException = 20,
    kRuntimeError = 100,  // plus the error number
};

int BinningSeen(const fs::path& folder, bool pairs) {
    ScriptedPlatform platform;
    platform.answers.assign(3, rt::Answer::Cancel);
    binning::BoxEvents events(platform);
    binning::Options options;
    options.mode = pairs ? binning::Mode::PairsOfValues : binning::Mode::SingleValues;
    try {
        const binning::Outcome outcome = binning::Run(folder, options, events);
        return outcome == binning::Outcome::Completed ? kCompleted : kStoppedOnCutoffs;
    } catch (const binning::RunEnded&) {
        if (platform.boxes.size() != 1) return kOtherBoxesThenEnd;
        const ScriptedPlatform::Box& box = platform.boxes[0];
        if (box.text == kPermissionBox && box.buttons == rt::Buttons::OkCancel)
            return kPermissionBoxThenEnd;
        if (box.text == kFileNotFoundBox && box.buttons == rt::Buttons::OkCancel)
            return kNotFoundBoxThenEnd;
        if (IsProgramErrorBox(box.text) && box.buttons == rt::Buttons::Ok)
            return kProgramErrorBoxThenEnd;
        return kOtherBoxesThenEnd;
    } catch (...) {
        return kOtherException;
    }
}

template <class Run>
int ErrorSeen(Run&& run) {
    try {
        run();
        return kCompleted;
    } catch (const rt::RuntimeError& error) {
        return int{kRuntimeError} + error.number();
    } catch (...) {
        return kOtherException;
    }
}

// A refusal is seen as the failure behind it (exclude.txt that cannot be read).
struct CauseThrown : rt::RunEvents {
    void refuse(const rt::Notice& refusal) override {
        if (refusal.cause) throw *refusal.cause;
    }
};

int ChainmakerSeen(const fs::path& folder, bool exclude) {
    chainmaker::Options options;
    options.exclude = exclude;
    CauseThrown events;
    return ErrorSeen([&] { chainmaker::Run(folder, options, events); });
}

int SplitwordSeen(const fs::path& folder) {
    CauseThrown events;
    return ErrorSeen([&] { splitword::Run(folder, {}, events); });
}

struct PermissionCase {
    const char* name;
    Program program;
    bool option;  // Binning: pairs; Chainmaker: exclude.txt asked for
    Files files;
    const char* locked;  // a file given `mode`, or none
    fs::perms mode;
    bool readOnlyFolder;
    int seen;
    Files written;  // outputs written before the failure, with their bytes
};

void PrintTo(const PermissionCase& c, std::ostream* out) {
    *out << c.name;
}

constexpr fs::perms kNoAccess = fs::perms::none;
constexpr fs::perms kReadOnly =
    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
constexpr fs::perms kReadOnlyFolder =
    kReadOnly | fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;

const std::string kOld = "an earlier output\r\n";
const std::string kWords = "black\nbird\nblackbird\n";
const int kError70 = kRuntimeError + int{rt::kPermissionDenied};

const PermissionCase kCases[] = {
    {"BinningUnreadableBinsTxt",
     Program::Binning,
     false,
     {{"bins.txt", kBins}, {"Data.txt", kData}, {"Results.txt", kOld}},
     "bins.txt",
     kNoAccess,
     false,
     kPermissionBoxThenEnd,
     {}},
    {"BinningUnreadableDataTxt",
     Program::Binning,
     false,
     {{"bins.txt", kBins}, {"Data.txt", kData}, {"Results.txt", kOld}},
     "Data.txt",
     kNoAccess,
     false,
     kPermissionBoxThenEnd,
     {}},
    {"BinningUnreadableBins1Txt",
     Program::Binning,
     true,
     {{"Bins1.txt", kBins}, {"Bins2.txt", kBins}, {"Data.txt", kPairs}},
     "Bins1.txt",
     kNoAccess,
     false,
     kPermissionBoxThenEnd,
     {}},
    {"BinningUnreadableBins2Txt",
     Program::Binning,
     true,
     {{"Bins1.txt", kBins}, {"Bins2.txt", kBins}, {"Data.txt", kPairs}},
     "Bins2.txt",
     kNoAccess,
     false,
     kPermissionBoxThenEnd,
     {}},
    {"BinningUnreadableDataTxtForPairs",
     Program::Binning,
     true,
     {{"bins.txt", kBins}, {"Data.txt", kPairs}},
     "Data.txt",
     kNoAccess,
     false,
     kPermissionBoxThenEnd,
     {}},
    {"BinningReadOnlyResultsTxt",
     Program::Binning,
     false,
     {{"bins.txt", kBins}, {"Data.txt", kData}, {"Results.txt", kOld}},
     "Results.txt",
     kReadOnly,
     false,
     kPermissionBoxThenEnd,
     {}},
    {"BinningReadOnlyFolder",
     Program::Binning,
     false,
     {{"bins.txt", kBins}, {"Data.txt", kData}},
     nullptr,
     kNoAccess,
     true,
     kPermissionBoxThenEnd,
     {}},
    {"BinningReadOnlyFolderWithResultsTxt",
     Program::Binning,
     true,
     {{"bins.txt", kBins}, {"Data.txt", kPairs}, {"Results.txt", kOld}},
     nullptr,
     kNoAccess,
     true,
     kPermissionBoxThenEnd,
     {}},
    {"ChainmakerUnreadableInTxt",
     Program::Chainmaker,
     false,
     {{"in.txt", "a\nb\n"}, {"out.txt", kOld}},
     "in.txt",
     kNoAccess,
     false,
     kError70,
     {}},
    {"ChainmakerUnreadableExcludeTxt",
     Program::Chainmaker,
     true,
     {{"in.txt", "a\nb\n"}, {"exclude.txt", "a\n"}, {"out.txt", kOld}},
     "exclude.txt",
     kNoAccess,
     false,
     kError70,
     {}},
    {"ChainmakerReadOnlyOutTxt",
     Program::Chainmaker,
     false,
     {{"in.txt", "a\nb\n"}, {"out.txt", kOld}},
     "out.txt",
     kReadOnly,
     false,
     kError70,
     {}},
    {"ChainmakerReadOnlyFolder",
     Program::Chainmaker,
     false,
     {{"in.txt", "a\nb\n"}},
     nullptr,
     kNoAccess,
     true,
     kError70,
     {}},
    {"SplitwordUnreadableInTxt",
     Program::Splitword,
     false,
     {{"in.txt", kWords}, {"Debug.txt", kOld}, {"out.txt", kOld}},
     "in.txt",
     kNoAccess,
     false,
     kError70,
     {}},
    {"SplitwordReadOnlyDebugTxt",
     Program::Splitword,
     false,
     {{"in.txt", kWords}, {"Debug.txt", kOld}, {"out.txt", kOld}},
     "Debug.txt",
     kReadOnly,
     false,
     kError70,
     {}},
    {"SplitwordReadOnlyOutTxt",
     Program::Splitword,
     false,
     {{"in.txt", kWords}, {"out.txt", kOld}},
     "out.txt",
     kReadOnly,
     false,
     kError70,
     {{"Debug.txt", "black\r\nbird\r\nblackbird\r\n"}}},
    {"SplitwordReadOnlyFolder",
     Program::Splitword,
     false,
     {{"in.txt", kWords}},
     nullptr,
     kNoAccess,
     true,
     kError70,
     {}},
};

class PermissionTest : public ::testing::TestWithParam<PermissionCase> {};

TEST_P(PermissionTest, IsAPermissionFailureAndChangesNoFile) {
    if (const auto why = testing_support::WhyPermissionsDoNotBind()) GTEST_SKIP() << *why;
    const PermissionCase& c = GetParam();
    testing_support::TempFolder folder;
    for (const auto& [name, bytes] : c.files) {
        folder.write(name, bytes);
        fs::permissions(folder / name, kReadOnly | fs::perms::owner_write);
    }
    const Snapshot before = TakeSnapshot(folder.path());

    // Anyone may enter the folder and create files in it, unless it is the read-only one. The
    // files already there are read-only to everyone, their owner included, as they are to nobody.
    fs::permissions(folder.path(), c.readOnlyFolder ? kReadOnlyFolder : fs::perms::all);
    for (const auto& [name, bytes] : c.files) fs::permissions(folder / name, kReadOnly);
    if (c.locked) fs::permissions(folder / c.locked, c.mode);
    const int seen = testing_support::RunUnprivileged([&] {
        switch (c.program) {
            case Program::Binning: return BinningSeen(folder.path(), c.option);
            case Program::Chainmaker: return ChainmakerSeen(folder.path(), c.option);
            case Program::Splitword: return SplitwordSeen(folder.path());
        }
        return 0;
    });
    fs::permissions(folder.path(), kReadOnlyFolder | fs::perms::owner_write);
    for (const auto& [name, bytes] : c.files)
        fs::permissions(folder / name, kReadOnly | fs::perms::owner_write);

    EXPECT_EQ(seen, c.seen) << "-1: the child crashed";
    // Nothing changed but the outputs written before the failure.
    std::set<std::string> written;
    for (const auto& [name, bytes] : c.written) written.insert(name);
    for (const std::string& change : ChangesBesides(before, folder.path(), written))
        ADD_FAILURE() << change;
    for (const auto& [name, bytes] : c.written) EXPECT_EQ(folder.read(name), bytes) << name;
}

INSTANTIATE_TEST_SUITE_P(AsUserNobody, PermissionTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace badinput
