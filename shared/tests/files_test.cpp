#include "files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "current_folder.h"
#include "temp_folder.h"

namespace {

namespace fs = std::filesystem;
using testing_support::TempFolder;

TEST(ResolveName, FindsAFileWhateverItsLetterCase) {
    const struct {
        std::vector<std::string> present;
        std::string asked;
        std::string found;
    } cases[] = {
        {{"bins.txt"}, "bins.txt", "bins.txt"},
        {{"Bins.txt"}, "bins.txt", "Bins.txt"},
        {{"bins1.txt"}, "Bins1.txt", "bins1.txt"},
#if defined(_WIN32)
        {{"BINS.TXT", "bins.txt"}, "bins.txt", "BINS.TXT"},  // one file: Windows ignores the case
#else
        {{"BINS.TXT", "bins.txt"}, "bins.txt", "bins.txt"},  // the exact name wins
#endif
        {{"BINS.TXT", "Bins.txt"}, "bins.txt", "BINS.TXT"},  // else the first in byte order
        {{}, "Results.txt", "Results.txt"},                  // none: the name to create
        {{"results.txt"}, "Results.txt", "results.txt"},     // an output found as it exists
        {{"bins.txt.bak"}, "bins.txt", "bins.txt"},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        for (const auto& name : c.present) folder.write(name, "x");
        SCOPED_TRACE(c.asked);
        EXPECT_EQ(rt::ResolveName(folder.path(), c.asked), folder / c.found);
    }
}

TEST(FileExists, OnlyOrdinaryFilesCount) {
    TempFolder folder;
    folder.write("BINS1.TXT", "1");
    fs::create_directory(folder / "Bins2.txt");
    EXPECT_TRUE(rt::FileExists(folder.path(), "Bins1.txt"));
    EXPECT_FALSE(rt::FileExists(folder.path(), "Bins2.txt"));
    EXPECT_FALSE(rt::FileExists(folder.path(), "bins.txt"));
}

#if defined(_WIN32)
// On Windows the program's folder is where its .exe lies, however it was started.
TEST(ProgramFolder, IsTheFolderOfTheProgramAsStarted) {
    EXPECT_TRUE(fs::is_regular_file(rt::ProgramFolder("shared_tests") / "shared_tests.exe"));
    EXPECT_TRUE(fs::is_regular_file(rt::ProgramFolder(nullptr) / "shared_tests.exe"));
}
#else
TEST(ProgramFolder, IsTheFolderOfTheProgramAsStarted) {
    TempFolder folder;
    fs::create_directories(folder / "bin");
    fs::create_directories(folder / "data");
    folder.write("bin/Tool", "#!/bin/sh\n");
    fs::permissions(folder / "bin/Tool", fs::perms::owner_all);
    fs::create_symlink(folder / "bin/Tool", folder / "data/Tool");

    // Through a link placed in a data folder, the data folder is the program's folder.
    EXPECT_EQ(rt::ProgramFolder((folder / "data/Tool").c_str()), folder / "data");
    EXPECT_EQ(rt::ProgramFolder((folder / "bin/Tool").c_str()), folder / "bin");

    const testing_support::CurrentFolder inData(folder / "data");
    EXPECT_EQ(rt::ProgramFolder("./Tool"), folder / "data");

    // Started by name through the search path, from a data folder: the data folder, not the
    // folder on PATH that holds the program.
    const std::string oldPath = getenv("PATH") ? getenv("PATH") : "";
    setenv("PATH", ((folder / "bin").string() + ":" + oldPath).c_str(), 1);
    EXPECT_EQ(rt::ProgramFolder("Tool"), folder / "data");
    setenv("PATH", oldPath.c_str(), 1);
}
#endif

}  // namespace
