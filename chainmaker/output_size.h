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

#include "combination_types.h"
#include "room.h"
#include "string_list.h"

namespace chainmaker {

using rt::BigCount;
using rt::GroupedCount;
using rt::ReadableSize;
using rt::RoomForOutput;
using rt::SizeVerdict;

struct OutputSize {
    BigCount lines = 0;
    BigCount bytes = 0;
};

OutputSize SizeOfOutput(const StringList& list, std::int32_t count, std::size_t separatorLength,
                        const BlockWanted& wanted);

SizeVerdict JudgeSize(const OutputSize& size, std::optional<std::uint64_t> room);

// The advice of the size checks, as the window and the command line word it.
inline constexpr std::string_view kTooLargeAdvice =
    "Tick fewer blocks, or put fewer strings into in.txt, and click Go again.";
inline constexpr std::string_view kTooLargeLine =
    "Choose fewer blocks, or put fewer strings into in.txt.";
inline constexpr std::string_view kLargeAnswers =
    "Click OK to write them, or Cancel to change the settings first.";

// The messages of the two checks; `bounded` when excluded lines may make the output smaller.
// `whatToDo` ends each: the window's advice by default.
std::string TooLargeMessage(const OutputSize& size, std::uint64_t room, bool bounded,
                            std::string_view whatToDo = kTooLargeAdvice);
std::string LargeMessage(const OutputSize& size, std::optional<std::uint64_t> room, bool bounded,
                         std::string_view whatToDo = kLargeAnswers);

}  // namespace chainmaker
