// The folder's bounds on Windows: what folder_bounds_test.cpp checks on Linux, with Windows' own
// links (hard links; symbolic links where they can be made), long names and names in UTF-8.
#include <windows.h>
// windows.h first
#include <gtest/gtest.h>
#include <io.h>

#include <filesystem>
#include <functional>
#include <string>

#include "folder_bounds.h"
#include "runtime_error.h"
#include "temp_folder.h"
#include "utf8_path.h"

namespace {

namespace fs = std::filesystem;
using testing_support::TempFolder;

// The error number of opening `path`, or 0 when it opened.
int OpenOutcome(const fs::path& path, bool forWriting) {
    try {
        ::_close(forWriting ? rt::OpenOutputFile(path) : rt::OpenInputFile(path));
        return 0;
    } catch (const rt::RuntimeError& error) {
        return error.number();
    }
}

// A symbolic link, where Windows lets this user make one (Developer Mode, or the privilege to
// make them) and it is really made (wine says it made one and makes nothing).
bool MadeSymbolicLink(const fs::path& link, const fs::path& target, bool folder) {
    const DWORD flags =
        SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE | (folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0);
    return ::CreateSymbolicLinkW(link.c_str(), target.c_str(), flags) &&
           ::GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES;
}

struct BoundsCase {
    const char* name;
    // Lays out `data` (with `outside` beside it) and gives the name to open.
    std::function<fs::path(const TempFolder& root)> lay;
    int reading;  // error number of opening it for reading, 0 when it opens
    int writing;  // likewise for writing
};

TEST(FolderBoundsOnWindows, OnlyFilesOfTheFolderItselfAreOpened) {
    const BoundsCase cases[] = {
        {"an ordinary file",
         [](const TempFolder& r) {
             r.write("data/x", "1");
             return r / "data/x";
         },
         0, 0},
        {"no file", [](const TempFolder& r) { return r / "data/x"; }, 53, 0},
        {"a folder",
         [](const TempFolder& r) {
             fs::create_directory(r / "data/x");
             return r / "data/x";
         },
         70, 70},
        // A second name may be anyone's file: never read, never emptied (the name is made anew).
        {"a second name of a file outside",
         [](const TempFolder& r) {
             EXPECT_TRUE(::CreateHardLinkW((r / "data/x").c_str(), (r / "outside/secret").c_str(),
                                           nullptr));
             return r / "data/x";
         },
         70, 0},
        {"a name beyond 260 characters",
         [](const TempFolder& r) {
             fs::path deep = r / "data";
             for (int i = 0; i < 6; ++i) {
                 deep /= std::wstring(60, static_cast<wchar_t>(L'a' + i));
                 EXPECT_TRUE(::CreateDirectoryW((L"\\\\?\\" + deep.native()).c_str(), nullptr));
             }
             return deep / "x";
         },
         53, 0},
        {"a name in UTF-8 that is no ASCII",
         [](const TempFolder& r) {
             const fs::path name = r / "data" / rt::PathFromUtf8("d\xC3\xA4t\xC3\xA4.txt");
             std::FILE* file = ::_wfopen(name.c_str(), L"wb");
             if (file) std::fclose(file);
             EXPECT_TRUE(file);
             return name;
         },
         0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const bool forWriting : {false, true}) {
            TempFolder root;
            fs::create_directory(root / "data");
            fs::create_directory(root / "outside");
            root.write("outside/secret", "private");
            const fs::path path = c.lay(root);
            EXPECT_EQ(OpenOutcome(path, forWriting), forWriting ? c.writing : c.reading)
                << (forWriting ? "writing" : "reading");
            EXPECT_EQ(root.read("outside/secret"), "private");
        }
    }
}

TEST(FolderBoundsOnWindows, SymbolicLinksOutOfTheFolderAreRefused) {
    TempFolder root;
    fs::create_directory(root / "data");
    fs::create_directory(root / "outside");
    root.write("outside/secret", "private");
    if (!MadeSymbolicLink(root / "data/x", root / "outside/secret", false))
        GTEST_SKIP() << "no symbolic link can be made here (Windows without Developer Mode or "
                        "the privilege to make them; wine)";
    ASSERT_TRUE(MadeSymbolicLink(root / "data/sub", root / "outside", true));
    root.write("data/y", "1");
    ASSERT_TRUE(MadeSymbolicLink(root / "data/inside", root / "data/y", false));
    for (const bool forWriting : {false, true}) {
        EXPECT_EQ(OpenOutcome(root / "data/x", forWriting), 70);
        EXPECT_EQ(OpenOutcome(root / "data/sub/secret", forWriting), 70);
        EXPECT_EQ(OpenOutcome(root / "data/inside", forWriting), 0);
    }
    EXPECT_EQ(root.read("outside/secret"), "private");
}

TEST(FolderBoundsOnWindows, ReadOnlyOutputAndTheSameFileTwice) {
    TempFolder root;
    root.write("Results.txt", "old");
    ::SetFileAttributesW((root / "Results.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(OpenOutcome(root / "Results.txt", true), 70);
    EXPECT_EQ(root.read("Results.txt"), "old");
    ::SetFileAttributesW((root / "Results.txt").c_str(), FILE_ATTRIBUTE_NORMAL);

    // An output the run reads under another name (letter case): refused, its bytes kept.
    root.write("in.txt", "words");
    const rt::RunFiles run;
    const int in = rt::OpenInputFile(root / "in.txt");
    EXPECT_EQ(OpenOutcome(root / "IN.TXT", true), 70);
    ::_close(in);
    EXPECT_EQ(root.read("in.txt"), "words");
}

}  // namespace
