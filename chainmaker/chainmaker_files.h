#pragma once
// The files of a Chainmaker run, by their names in its folder (found whatever their letter case).

#include <string_view>

namespace chainmaker {

inline constexpr std::string_view kInputName = "in.txt";
inline constexpr std::string_view kExcludeName = "exclude.txt";
inline constexpr std::string_view kOutputName = "out.txt";

}  // namespace chainmaker
