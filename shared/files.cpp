#include "files.h"

#include <algorithm>
#include <optional>
#include <string>
#include <system_error>

namespace rt {
namespace fs = std::filesystem;
namespace {

char AsciiLower(char c) noexcept {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) noexcept {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return AsciiLower(x) == AsciiLower(y);
           });
}

}  // namespace

fs::path CleanFolderPath(fs::path p) {
    p = p.lexically_normal();
    if (p.has_filename() || p == p.root_path()) return p;
    return p.parent_path();
}

fs::path ResolveName(const fs::path& folder, std::string_view name) {
    fs::path exact = folder / fs::path(std::string(name));
    std::error_code ec;
#if !defined(_WIN32)  // on Windows "bins.txt" exists as Bins.txt does: its name is found below
    if (fs::exists(fs::symlink_status(exact, ec))) return exact;
#endif

    std::optional<std::string> best;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string candidate = it->path().filename().string();
        if (EqualIgnoringCase(candidate, name) && (!best || candidate < *best)) best = candidate;
    }
    return best ? folder / *best : exact;
}

bool FileExists(const fs::path& folder, std::string_view name) {
    std::error_code ec;
    return fs::is_regular_file(ResolveName(folder, name), ec);
}

#if !defined(_WIN32)  // Windows: windows/files_windows.cpp
fs::path ProgramFolder(const char* argv0) {
    std::error_code ec;
    const std::string started = argv0 ? argv0 : "";
    if (started.find('/') != std::string::npos) {
        // Keep the folder as typed (made absolute); links are not followed.
        fs::path program = fs::path(started);
        if (program.is_relative()) program = fs::current_path(ec) / program;
        return CleanFolderPath(program.parent_path());
    }
    if (!started.empty()) {
        // Started by name through the search path: nothing tells the user which folder the
        // program lies in, so it works where they are, like any command typed in a terminal.
        fs::path here = fs::current_path(ec);
        if (!ec) return CleanFolderPath(here);
    }
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) return CleanFolderPath(self.parent_path());
    return CleanFolderPath(fs::current_path(ec));
}
#endif

}  // namespace rt
