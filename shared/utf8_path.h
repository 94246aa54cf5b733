#pragma once
// Paths from names typed by the user, which arrive as UTF-8 (Windows' arguments are made UTF-8
// too). On Linux a name is its bytes; on Windows std::filesystem would read a narrow string in
// the C runtime's code page, so the name is read as UTF-8 explicitly. (path::string() gives
// UTF-8 back on both.)

#include <filesystem>
#include <string>
#include <string_view>

namespace rt {

inline std::filesystem::path PathFromUtf8(std::string_view name) {
#if defined(_WIN32)
    return std::filesystem::path(std::u8string(name.begin(), name.end()));
#else
    return std::filesystem::path(name);
#endif
}

}  // namespace rt
