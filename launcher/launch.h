#pragma once
// Starting a program on a folder of data: the folder becomes the program's own folder (the program
// is started as if it lay there) and its current folder, and nothing is written into the folder.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace launch {

// The programs this launcher starts; nullopt for any other name. Lower case is accepted.
std::optional<std::string> ProgramName(std::string_view asked);

// What keeps `folder` from being used, as a sentence for the user; nullopt when it can be used.
// A file stands for the folder that holds it (see FolderOf).
std::optional<std::string> FolderProblem(const std::filesystem::path& folder,
                                         std::string_view program);

// The folder to use for a path given to the launcher: the folder itself, or a file's folder.
std::filesystem::path FolderOf(const std::filesystem::path& given);

// The name the program is started under, so that it takes `folder` for its own.
std::string StartName(const std::filesystem::path& folder, std::string_view program);

// The program's executable: beside the launcher's own executable.
std::filesystem::path ProgramPath(const std::filesystem::path& launcherFolder,
                                  std::string_view program);

// Replaces this process by the program, in `folder`. Returns only on failure, with the reason.
std::string Start(const std::filesystem::path& programPath, const std::filesystem::path& folder,
                  std::string_view program);

}  // namespace launch
