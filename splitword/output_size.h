#pragma once
// The size of out.txt, worked out before it is written, and the messages of the size check. Every
// find is one line: the compound, a tab, the first member (which the compound begins with), a tab,
// the second member (the rest) and CR LF, so twice the compound's bytes and four more.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "room.h"

namespace splitword {

using rt::BigCount;

// The lines and bytes of out.txt, its header line included.
struct OutputSize {
    BigCount lines = 0;
    BigCount bytes = 0;
};

// The advice of the size checks, as the window and the command line word it.
inline constexpr std::string_view kTooLargeAdvice =
    "Put fewer words into in.txt (each repeat of a word repeats its lines), or raise the "
    "threshold, and click Go again.";
inline constexpr std::string_view kTooLargeLine =
    "Put fewer words into in.txt (each repeat of a word repeats its lines), or raise the "
    "threshold.";
inline constexpr std::string_view kLargeAnswers =
    "Click OK to write them, or Cancel to change in.txt or the threshold first.";

// The messages of the two checks. `whatToDo` ends each: the window's advice by default.
std::string TooLargeMessage(const OutputSize& size, std::uint64_t room,
                            std::string_view whatToDo = kTooLargeAdvice);
std::string LargeMessage(const OutputSize& size, std::optional<std::uint64_t> room,
                         std::string_view whatToDo = kLargeAnswers);

}  // namespace splitword
