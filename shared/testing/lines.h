#pragma once
// Text as the programs write it: each line followed by CR LF, the last one included.

#include <string>
#include <vector>

namespace testing_support {

inline std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    return text;
}

}  // namespace testing_support
