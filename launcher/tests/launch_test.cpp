#include "launch.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "temp_folder.h"
#include "unprivileged.h"

namespace {

namespace fs = std::filesystem;
using testing_support::TempFolder;

TEST(Launcher, KnowsTheThreePrograms) {
    const struct {
        const char* asked;
        const char* name;
    } cases[] = {{"Binning", "Binning"},
                 {"binning", "Binning"},
                 {"Chainmaker", "Chainmaker"},
                 {"splitword", "Splitword"},
                 {"BINNING", nullptr},
                 {"sh", nullptr},
                 {"", nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.asked);
        const auto got = launch::ProgramName(c.asked);
        if (c.name) {
            ASSERT_TRUE(got);
            EXPECT_EQ(*got, c.name);
        } else {
            EXPECT_FALSE(got);
        }
    }
}

TEST(Launcher, FolderChecks) {
    TempFolder root;
    fs::create_directories(root / "my data folder");
    root.write("my data folder/Data.txt", "1\n");
    const fs::path data = root / "my data folder";

    EXPECT_EQ(launch::FolderOf(data), data);
    EXPECT_EQ(launch::FolderOf(data / "Data.txt"), data) << "a file stands for its folder";
    EXPECT_EQ(launch::FolderOf(data.string() + "/"), data);
    EXPECT_FALSE(launch::FolderProblem(data, "Binning"));
    const auto missing = launch::FolderProblem(root / "nothing here", "Binning");
    ASSERT_TRUE(missing);
    EXPECT_NE(missing->find("There is no folder"), std::string::npos);
    EXPECT_EQ(launch::StartName(data, "Binning"), data.string() + "/Binning");
}

TEST(Launcher, AFolderThatCannotBeWrittenIsRefusedWithAReason) {
    if (const auto why = testing_support::WhyPermissionsDoNotBind()) GTEST_SKIP() << *why;
    TempFolder root;
    fs::create_directories(root / "read only");
    fs::permissions(root.path(), fs::perms::all);
    fs::permissions(root / "read only", fs::perms::owner_read | fs::perms::owner_exec |
                                            fs::perms::group_read | fs::perms::group_exec |
                                            fs::perms::others_read | fs::perms::others_exec);
    const fs::path folder = root / "read only";
    // As an unprivileged user, for whom the permissions bind.
    const int refused = testing_support::RunUnprivileged([&] {
        const auto problem = launch::FolderProblem(folder, "Chainmaker");
        return problem && problem->find("cannot be written to") != std::string::npos &&
                       problem->find("Chainmaker writes its results") != std::string::npos
                   ? 1
                   : 0;
    });
    EXPECT_EQ(refused, 1);
}

std::string Lines(const fs::path& file) {
    std::ifstream in(file);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(Launcher, StartsTheProgramOnAnyFolderNameAndLeavesNothingBehind) {
    // Blanks, a name Qt would take for one of its options, a line feed at the end.
    for (const std::string name : {"my data folder", "-reverse", "-style=fusion", "data\n"}) {
        SCOPED_TRACE(name);
        TempFolder root;
        fs::create_directories(root / "bin");
        fs::create_directories(root / name);
        fs::copy_file(LAUNCHER, root / "bin/datatools-open");
        fs::copy_file(RECORDING_PROGRAM, root / "bin/Binning");
        const fs::path data = root / name;

        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
            // A launcher that opens its folder chooser instead would wait for ever.
            ::alarm(30);
            if (::chdir(root.path().c_str()) != 0) ::_exit(126);
            const std::string launcher = (root / "bin/datatools-open").string();
            ::execl(launcher.c_str(), launcher.c_str(), "Binning", name.c_str(), nullptr);
            ::_exit(127);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);

        EXPECT_EQ(Lines(data / "record.txt"), data.string() + "\n" + data.string() + "\n");
        int entries = 0;
        for (const auto& entry : fs::directory_iterator(data)) {
            EXPECT_EQ(entry.path().filename(), "record.txt");
            ++entries;
        }
        EXPECT_EQ(entries, 1);
    }
}

// Help and version on standard output with status 0; a wrong command line, status 2; where Qt
// would need a display and none is named, one line and status 1 instead of Qt's abort.
TEST(Launcher, HelpVersionAndNoDisplay) {
    const struct {
        std::vector<const char*> args;
        const char* platform;  // QT_QPA_PLATFORM; nullptr: unset
        int status;
        const char* out;  // the start of standard output
        const char* err;  // standard error, whole
    } cases[] = {
        {{"--help"},
         nullptr,
         0,
         "usage: datatools-open Binning|Chainmaker|Splitword [FOLDER]\n",
         ""},
        {{"--version"}, nullptr, 0, "datatools-open ", ""},
        {{"Nothing"}, nullptr, 2, "", nullptr},
        {{"Binning"}, nullptr, 1, "", "datatools-open: cannot open a display\n"},
        {{"Binning", "."}, "xcb", 1, "", "datatools-open: cannot open a display\n"},
        {{"Binning", "."}, "wayland;xcb", 1, "", "datatools-open: cannot open a display\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.args[0]) + " " + (c.platform ? c.platform : "(unset)"));
        TempFolder streams;
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::unsetenv("DISPLAY");
            ::unsetenv("WAYLAND_DISPLAY");
            if (c.platform)
                ::setenv("QT_QPA_PLATFORM", c.platform, 1);
            else
                ::unsetenv("QT_QPA_PLATFORM");
            ::alarm(30);
            if (!std::freopen((streams / "out").c_str(), "w", stdout) ||
                !std::freopen((streams / "err").c_str(), "w", stderr) ||
                ::chdir(streams.path().c_str()) != 0)
                ::_exit(126);
            std::vector<const char*> argv = {LAUNCHER};
            argv.insert(argv.end(), c.args.begin(), c.args.end());
            argv.push_back(nullptr);
            ::execv(LAUNCHER, const_cast<char**>(argv.data()));
            ::_exit(127);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), c.status);
        EXPECT_TRUE(streams.read("out").starts_with(c.out)) << streams.read("out");
        if (c.err) {
            EXPECT_EQ(streams.read("err"), c.err);
        }
    }
}

}  // namespace
