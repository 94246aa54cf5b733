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

// `folder` lexically normal ("a/./b/../c" is "a/c") and without a trailing separator, except
// for the root.
std::filesystem::path CleanFolderPath(std::filesystem::path folder);

// The folder a program works on, without a trailing separator. Started through a path (argv[0]
// holds a "/"), the folder of that path: a program started through a symbolic link gets the link's
// folder, which is how the launcher and a user point a program at a folder of data. Started by
// name through the search path, the current directory.
std::filesystem::path ProgramFolder(const char* argv0);

}  // namespace rt
