#pragma once
// Text helpers on byte strings.

#include <string_view>

namespace rt {

// Removes spaces (code 32) at both ends; tabs and every other byte stay.
constexpr std::string_view Trim(std::string_view t) noexcept {
    const auto first = t.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const auto last = t.find_last_not_of(' ');
    return t.substr(first, last - first + 1);
}

}  // namespace rt
