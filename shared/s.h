#pragma once
// Splitting one line of a text file at its first tab.

#include <string_view>

namespace s {

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

}  // namespace s
