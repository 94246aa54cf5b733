#include "launch.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#include "files.h"
#include "program_names.h"

namespace launch {
namespace fs = std::filesystem;

std::optional<std::string> ProgramName(std::string_view asked) {
    for (const std::string_view known : kProgramNames) {
        if (asked == known) return std::string(known);
        std::string lower(known);
        lower[0] = static_cast<char>(lower[0] + ('a' - 'A'));
        if (asked == lower) return std::string(known);
    }
    return std::nullopt;
}

fs::path FolderOf(const fs::path& given) {
    std::error_code ec;
    fs::path absolute = fs::absolute(given, ec);
    if (ec) absolute = given;
    if (fs::is_regular_file(absolute, ec)) absolute = absolute.parent_path();
    return rt::CleanFolderPath(absolute);
}

std::optional<std::string> FolderProblem(const fs::path& folder, std::string_view program) {
    std::error_code ec;
    const std::string shown = folder.string();
    if (!fs::exists(folder, ec)) return "There is no folder " + shown + ".";
    if (!fs::is_directory(folder, ec)) return shown + " is not a folder.";
    if (::access(folder.c_str(), R_OK | X_OK) != 0)
        return "The folder " + shown + " cannot be read.";
    if (::access(folder.c_str(), W_OK) != 0) {
        return "The folder " + shown + " cannot be written to. " + std::string(program) +
               " writes its results into the folder of your data; choose a folder you may "
               "change, or copy your files into one.";
    }
    return std::nullopt;
}

std::string StartName(const fs::path& folder, std::string_view program) {
    return (folder / std::string(program)).string();
}

fs::path ProgramPath(const fs::path& launcherFolder, std::string_view program) {
    return launcherFolder / std::string(program);
}

std::string Start(const fs::path& programPath, const fs::path& folder, std::string_view program) {
    if (::chdir(folder.c_str()) != 0)
        return "Cannot open the folder " + folder.string() + ": " + std::strerror(errno) + ".";
    const std::string name = StartName(folder, program);
    char* const argv[] = {const_cast<char*>(name.c_str()), nullptr};
    ::execv(programPath.c_str(), argv);
    return "Cannot start " + programPath.string() + ": " + std::strerror(errno) + ".";
}

}  // namespace launch
