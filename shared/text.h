#pragma once
// Text helpers on byte strings: trimming, and the fields of a line split at its first tab.

#include <string_view>

namespace rt {

// Removes spaces (code 32) at both ends; tabs and every other byte stay.
constexpr std::string_view Trim(std::string_view t) noexcept {
    const auto first = t.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const auto last = t.find_last_not_of(' ');
    return t.substr(first, last - first + 1);
}

// The bytes before the first tab; the whole text when it holds no tab.
// The result views the argument's bytes: keep the argument alive while using it.
constexpr std::string_view TextBeforeTab(std::string_view t) noexcept {
    const auto tab = t.find('\t');
    return tab == std::string_view::npos ? t : t.substr(0, tab);
}

// The bytes after the first tab, up to the end; empty when the text holds no tab.
constexpr std::string_view TextAfterTab(std::string_view t) noexcept {
    const auto tab = t.find('\t');
    return tab == std::string_view::npos ? std::string_view{} : t.substr(tab + 1);
}

}  // namespace rt
