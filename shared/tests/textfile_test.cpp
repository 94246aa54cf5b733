#include "textfile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "runtime_error.h"
#include "temp_folder.h"
#include "unprivileged.h"

namespace {

using testing_support::TempFolder;
using Lines = std::vector<std::string>;

Lines ReadAll(const std::filesystem::path& path) {
    rt::LineReader reader(path);
    Lines lines;
    while (!reader.atEnd()) lines.emplace_back(reader.readLine());
    return lines;
}

struct LineCase {
    const char* name;
    std::string bytes;
    Lines lines;
};

TEST(LineReader, SplitsLinesAtEveryKindOfLineEnd) {
    const LineCase cases[] = {
        {"empty file", "", {}},
        {"crlf", "a\r\nb\r\n", {"a", "b"}},
        {"lf", "a\nb\n", {"a", "b"}},
        {"cr", "a\rb\r", {"a", "b"}},
        {"mixed", "a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"no final line end", "a\r\nb", {"a", "b"}},
        {"blank lines", "\r\n\r\na\r\n\r\n", {"", "", "a", ""}},
        {"lf then cr", "a\n\rb", {"a", "", "b"}},
        {"only line ends", "\n\n\n", {"", "", ""}},
        {"byte-order mark",
         "\xEF\xBB\xBF"
         "5\r\n6",
         {"5", "6"}},
        {"only a byte-order mark", "\xEF\xBB\xBF", {}},
        {"mark not at the start",
         "a\n\xEF\xBB\xBF"
         "b",
         {"a",
          "\xEF\xBB\xBF"
          "b"}},
        {"half a mark", "\xEF\xBB", {"\xEF\xBB"}},
        {"nul byte", std::string("a\0b\nc", 5), {std::string("a\0b", 3), "c"}},
        {"invalid utf-8", "\xFF\xFE\x80\n", {"\xFF\xFE\x80"}},
        {"tab kept", " \tx \r\n", {" \tx "}},
    };
    TempFolder folder;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        folder.write("in.txt", c.bytes);
        EXPECT_EQ(ReadAll(folder / "in.txt"), c.lines);
    }
}

TEST(LineReader, LinesAcrossBlockBoundaries) {
    // A CR LF split between two blocks is one line end; lines longer than a block come whole.
    TempFolder folder;
    const std::size_t block = rt::LineReader::kBlockSize;
    for (std::size_t pad : {block - 1, block - 2, block, block + 1, 3 * block + 5}) {
        SCOPED_TRACE(pad);
        const std::string longLine(pad, 'x');
        folder.write("in.txt", longLine + "\r\nnext\rlast\r");
        EXPECT_EQ(ReadAll(folder / "in.txt"), (Lines{longLine, "next", "last"}));
    }
}

TEST(LineReader, ReadingPastTheEndFails) {
    TempFolder folder;
    folder.write("in.txt", "a");
    rt::LineReader reader(folder / "in.txt");
    EXPECT_EQ(reader.readLine(), "a");
    EXPECT_TRUE(reader.atEnd());
    EXPECT_THROW(reader.readLine(), rt::RuntimeError);
}

int ErrorNumberOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const rt::RuntimeError& e) {
        return e.number();
    }
    return 0;
}

TEST(TextFiles, OpeningFailuresCarryTheirNumbers) {
    TempFolder folder;
    std::filesystem::create_directory(folder / "folder.txt");
    EXPECT_EQ(ErrorNumberOf([&] { rt::LineReader r(folder / "missing.txt"); }), 53);
    // A folder where a file is expected fails for every user, root included.
    EXPECT_EQ(ErrorNumberOf([&] { rt::LineReader r(folder / "folder.txt"); }), 70);
    EXPECT_EQ(ErrorNumberOf([&] { rt::LineWriter w(folder / "folder.txt"); }), 70);
}

TEST(TextFiles, UnreadableFileIsPermissionDenied) {
    // Checked as an unprivileged user, so that the test proves something when run as root.
    if (const auto why = testing_support::WhyPermissionsDoNotBind()) GTEST_SKIP() << *why;
    TempFolder folder;
    folder.write("locked.txt", "x");
    std::filesystem::permissions(folder / "locked.txt", std::filesystem::perms::none);
    std::filesystem::permissions(folder.path(), std::filesystem::perms::all);
    const auto locked = folder / "locked.txt";
    EXPECT_EQ(testing_support::RunUnprivileged(
                  [&] { return ErrorNumberOf([&] { rt::LineReader r(locked); }); }),
              70);
    EXPECT_EQ(testing_support::RunUnprivileged(
                  [&] { return ErrorNumberOf([&] { rt::LineWriter w(locked); }); }),
              70);
    // A folder that nobody, its owner included, may write to: the new file cannot be created.
    std::filesystem::permissions(
        folder.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec |
                           std::filesystem::perms::group_read | std::filesystem::perms::group_exec |
                           std::filesystem::perms::others_read |
                           std::filesystem::perms::others_exec);
    const auto fresh = folder / "new.txt";
    EXPECT_EQ(testing_support::RunUnprivileged(
                  [&] { return ErrorNumberOf([&] { rt::LineWriter w(fresh); }); }),
              70);
    EXPECT_FALSE(std::filesystem::exists(fresh));
}

TEST(LineWriter, WritesBytesWithCrLfAndEmptiesAnOldFile) {
    TempFolder folder;
    folder.write("out.txt", "old content that is longer than the new");
    {
        rt::LineWriter out(folder / "out.txt");
        out.print("a");
        out.print("\tb");
        out.endLine();
        out.printLine(std::string("\0\xFF", 2));
        out.printLine(std::string(rt::LineWriter::kBufferSize + 10, 'z'));
        out.printLine("end");
        out.close();
    }
    EXPECT_EQ(folder.read("out.txt"), "a\tb\r\n" + std::string("\0\xFF", 2) + "\r\n" +
                                          std::string(rt::LineWriter::kBufferSize + 10, 'z') +
                                          "\r\nend\r\n");
}

TEST(LineWriter, AFullDiskIsReported) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    rt::LineWriter out("/dev/full");
    out.printLine("x");
    EXPECT_EQ(ErrorNumberOf([&] { out.close(); }), 61);
}

}  // namespace
