#pragma once
// Where the programs find their files.

#include <filesystem>
#include <string_view>

namespace rt {

// The path of `name` in `folder`. Where no entry of exactly that name exists, an entry whose name
// differs only in letter case is taken (the first in byte order when several do), so that a
// program asking for bins.txt finds Bins.txt. Where none matches, the exact name, to be created.
std::filesystem::path ResolveName(const std::filesystem::path& folder, std::string_view name);

// True when `folder` holds an ordinary file of that name, in any letter case. Nothing is opened.
bool FileExists(const std::filesystem::path& folder, std::string_view name);

// The folder that holds the program as the user started it, without a trailing separator. A
// program started through a symbolic link gets the link's folder: that is how a user points a
// program at a folder of data.
std::filesystem::path ProgramFolder(const char* argv0);

}  // namespace rt
