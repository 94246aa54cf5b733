#pragma once
// Room for a run before it starts: the bytes an output's disk can still take, the memory the
// process can still get, how a size compares with them, and sizes in words. A run that cannot fit
// is refused before it writes or allocates; the kernel would otherwise end it half done.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace rt {

// Sizes saturate at the largest value instead of wrapping: 100 strings in six places is 10^12
// lines, 10^6 strings 10^36.
__extension__ typedef unsigned __int128 BigCount;

BigCount SaturatingTimes(BigCount a, BigCount b);
BigCount SaturatingPlus(BigCount a, BigCount b);

// The bytes the file at `outPath` may grow to: the free space of its disk as df shows it, the
// space its file system gives an ordinary user (blocks available times their size). What the file
// holds now is not counted: the figure is the one df and file managers show, and emptying a file
// does not free its blocks where a snapshot keeps them. Nullopt where there is nothing to check:
// the name is not an ordinary file (a device such as /dev/null) or the file system does not say.
std::optional<std::uint64_t> RoomForOutput(const std::filesystem::path& outPath);

// The bytes of memory this process can still get: the machine's available memory, within the
// process's address-space limit and its control group's limit.
std::uint64_t MemoryRoom();

// The room of a run: the bytes an output may grow to at the path given, and the memory the
// process can still get. The machine's, unless a check states its own.
struct Room {
    std::function<std::optional<std::uint64_t>(const std::filesystem::path& outPath)> forOutput =
        RoomForOutput;
    std::function<std::uint64_t()> memory = MemoryRoom;
};

// Error 7 for the file at `path`, whose `size` bytes (0 when not worth saying) would take more
// memory than the `room` there is: the report says which file and what to do.
[[noreturn]] void ThrowTooLargeForMemory(const std::filesystem::path& path, std::uint64_t size,
                                         std::uint64_t room);

enum class SizeVerdict {
    Fits,      // go ahead without asking
    Large,     // more than 10 GiB, or more than half the room: ask first
    TooLarge,  // more than the room: do not start
};
SizeVerdict JudgeSize(BigCount bytes, std::optional<std::uint64_t> room);

// "1,111,110"
std::string GroupedCount(BigCount count);

// What a run will write, in words: "1,111 lines (45.9 MiB)", with "at most" before the figure
// that is only a bound ("at most 1,111 lines (45.9 MiB)", "20,005 lines (at most 800.6 MiB)").
struct WrittenSize {
    BigCount lines = 0;
    BigCount bytes = 0;
    bool linesAtMost = false;
    bool bytesAtMost = false;
};
std::string InWords(const WrittenSize& size);

// The messages of the size checks of an output named `file`; `whatToDo` ends each.
// "This run would write ... to out.txt, but its disk has only 8.4 MiB free for it.  Nothing has
// been written.  ..."
std::string TooLargeForDiskMessage(const WrittenSize& size, std::string_view file,
                                   std::uint64_t room, std::string_view whatToDo);
// "This run will write ... to out.txt, on a disk with 8.4 MiB free.  ..."
std::string LargeForDiskMessage(const WrittenSize& size, std::string_view file,
                                std::optional<std::uint64_t> room, std::string_view whatToDo);
// "512 bytes", "1.5 KiB", "45.9 GiB", "1,234.5 TiB": powers of 1024, as df -h shows sizes
// (its "3.4M" is 3.4 MiB), in tenths rounded half up.
std::string ReadableSize(BigCount bytes);

}  // namespace rt
