#pragma once
// The files of a Splitword run, by their names in its folder (found whatever their letter case).

#include <string_view>

namespace splitword {

inline constexpr std::string_view kInputName = "in.txt";
inline constexpr std::string_view kDebugName = "Debug.txt";
inline constexpr std::string_view kOutputName = "out.txt";

}  // namespace splitword
