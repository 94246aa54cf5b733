#include "folder_bounds.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "runtime_error.h"
#include "temp_folder.h"

namespace {

namespace fs = std::filesystem;
using testing_support::TempFolder;

// The error number of opening `name` in `data`, or 0 when it opened.
int OpenOutcome(const fs::path& path, bool forWriting) {
    try {
        ::close(forWriting ? rt::OpenOutputFile(path) : rt::OpenInputFile(path));
        return 0;
    } catch (const rt::RuntimeError& error) {
        return error.number();
    }
}

struct BoundsCase {
    const char* name;
    // Lays out the folder `data` (with `outside`, a folder beside it) and names the file to open.
    std::function<void(const TempFolder& root)> lay;
    int reading;  // error number of opening data/x for reading, 0 when it opens
    int writing;  // likewise for writing
};

TEST(FolderBounds, OnlyFilesInsideTheFolderAreOpened) {
    const BoundsCase cases[] = {
        {"an ordinary file", [](const TempFolder& r) { r.write("data/x", "1"); }, 0, 0},
        {"no file", [](const TempFolder&) {}, 53, 0},
        {"a link to a file beside it",
         [](const TempFolder& r) {
             r.write("data/y", "1");
             fs::create_symlink("y", r / "data/x");
         },
         0, 0},
        {"a link into a sub-folder, its target still to be made",
         [](const TempFolder& r) {
             fs::create_directory(r / "data/sub");
             fs::create_symlink("sub/new", r / "data/x");
         },
         53, 0},
        {"a link out of the folder",
         [](const TempFolder& r) { fs::create_symlink("../outside/secret", r / "data/x"); }, 70,
         70},
        {"an absolute link out of the folder, its target still to be made",
         [](const TempFolder& r) { fs::create_symlink(r / "outside/new", r / "data/x"); }, 70, 70},
        {"a link that goes out and comes back",
         [](const TempFolder& r) {
             r.write("data/y", "1");
             fs::create_symlink("../outside/back", r / "data/x");
             fs::create_symlink("../data/y", r / "outside/back");
         },
         0, 0},
        {"a link through a linked sub-folder that leads out",
         [](const TempFolder& r) {
             fs::create_directory_symlink("../outside", r / "data/sub");
             fs::create_symlink("sub/secret", r / "data/x");
         },
         70, 70},
        {"a link to the folder itself",
         [](const TempFolder& r) { fs::create_directory_symlink(".", r / "data/x"); }, 70, 70},
        {"a loop of links",
         [](const TempFolder& r) {
             fs::create_symlink("z", r / "data/x");
             fs::create_symlink("x", r / "data/z");
         },
         70, 70},
        {"a pipe", [](const TempFolder& r) { ::mkfifo((r / "data/x").c_str(), 0600); }, 70, 70},
        {"a link to /dev/null",
         [](const TempFolder& r) { fs::create_symlink("/dev/null", r / "data/x"); }, 70, 0},
        {"a folder", [](const TempFolder& r) { fs::create_directory(r / "data/x"); }, 70, 70},
        // A second name may be anyone's file: never read, never emptied (the name is made anew).
        {"a second name of a file outside",
         [](const TempFolder& r) { fs::create_hard_link(r / "outside/secret", r / "data/x"); }, 70,
         0},
        {"a link through a folder reached by a link to itself",
         [](const TempFolder& r) {
             r.write("data/y", "1");
             fs::create_directory_symlink(".", r / "data/here");
             fs::create_symlink("here/here/y", r / "data/x");
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
            c.lay(root);
            // The folder is reached through a link of its own: that is still the folder.
            fs::create_directory_symlink(root / "data", root / "shortcut");
            EXPECT_EQ(OpenOutcome(root / "shortcut/x", forWriting),
                      forWriting ? c.writing : c.reading)
                << (forWriting ? "writing" : "reading");
            EXPECT_EQ(root.read("outside/secret"), "private");
            EXPECT_FALSE(root.exists("outside/new"));
        }
    }
}

// Another user who may write to the folder swaps a sub-folder for a link out of it, again and
// again, while names through that sub-folder are opened: no open reaches the file outside.
TEST(FolderBounds, ASubFolderSwappedForALinkNeverLeadsOut) {
    TempFolder root;
    fs::create_directories(root / "data/sub");
    fs::create_directory(root / "outside");
    root.write("outside/keys", "private");
    root.write("data/sub/keys", "own");
    fs::create_directory_symlink("../outside", root / "data/swap");
    fs::create_symlink("sub/keys", root / "data/in.txt");
    fs::create_symlink("sub/keys", root / "data/out.txt");
    const std::string sub = (root / "data/sub").string();
    const std::string swap = (root / "data/swap").string();
    std::atomic<bool> stop{false};
    std::thread swapper([&] {
        while (!stop) ::renameat2(AT_FDCWD, sub.c_str(), AT_FDCWD, swap.c_str(), RENAME_EXCHANGE);
    });
    for (int i = 0; i < 2000; ++i) {
        try {
            const int fd = rt::OpenInputFile(root / "data/in.txt");
            char bytes[16] = {};
            const ssize_t got = ::read(fd, bytes, sizeof bytes - 1);
            ::close(fd);
            EXPECT_NE(std::string(bytes, got > 0 ? static_cast<std::size_t>(got) : 0), "private");
        } catch (const rt::RuntimeError& error) {
            EXPECT_EQ(error.number(), 70) << error.what();
        }
        try {
            const int fd = rt::OpenOutputFile(root / "data/out.txt");
            EXPECT_EQ(::write(fd, "own", 3), 3);
            ::close(fd);
        } catch (const rt::RuntimeError& error) {
            EXPECT_EQ(error.number(), 70) << error.what();
        }
    }
    stop = true;
    swapper.join();
    EXPECT_EQ(root.read("outside/keys"), "private");
}

}  // namespace
