#pragma once
// How much a run will write, worked out before out.txt is touched, and whether the disk holds it.
// Block k of n strings has n^k lines; their bytes follow from the total length of the strings,
// the separator and the CR LF of each line. Lines left out by exclude.txt are not subtracted, so
// with exclusion the figures are an upper bound.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "combination_writer.h"
#include "string_list.h"

namespace chainmaker {

// Counts saturate at the largest value instead of wrapping: 100 strings in block six is 10^12
// lines, 10^6 strings 10^36.
__extension__ typedef unsigned __int128 BigCount;

struct OutputSize {
    BigCount lines = 0;
    BigCount bytes = 0;
};

OutputSize SizeOfOutput(const StringList& list, std::int32_t count, std::size_t separatorLength,
                        const BlockWanted& wanted);

// The bytes out.txt may grow to: the space its file system gives an ordinary user plus what
// out.txt holds now. Nullopt where there is nothing to check: out.txt is not an ordinary file
// (a device such as /dev/null) or the file system does not say.
std::optional<std::uint64_t> RoomForOutput(const std::filesystem::path& outPath);

enum class SizeVerdict {
    Fits,      // write without asking
    Large,     // more than 10 GiB, or more than half the room: ask first
    TooLarge,  // more than the room: do not start
};
SizeVerdict JudgeSize(const OutputSize& size, std::optional<std::uint64_t> room);

// "1,111,110"
std::string GroupedCount(BigCount count);
// "512 bytes", "1.5 kB", "45.9 GB", "1,234.5 TB" (powers of 1000)
std::string ReadableSize(BigCount bytes);

// The messages of the two checks; `bounded` when excluded lines may make the output smaller.
// `whatToDo` ends the first: the window's advice by default.
std::string TooLargeMessage(const OutputSize& size, std::uint64_t room, bool bounded,
                            std::string_view whatToDo =
                                "Tick fewer blocks, or put fewer strings into in.txt, and click "
                                "Go again.");
std::string LargeMessage(
    const OutputSize& size, std::optional<std::uint64_t> room, bool bounded,
    std::string_view whatToDo = "Click OK to write them, or Cancel to change the settings first.");

}  // namespace chainmaker
