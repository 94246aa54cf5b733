// Room for a run on Windows: the free space Windows gives this user on the output's disk, and
// the memory it can still get.
#include <algorithm>
#include <limits>

#include "room.h"
#include "wide_names.h"

namespace rt {

std::optional<std::uint64_t> RoomForOutput(const std::filesystem::path& outPath) {
    const std::wstring name = windows::LongPath(outPath);
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    const std::size_t cut = name.find_last_of(L'\\');
    if (cut == std::wstring::npos) return std::nullopt;
    ULARGE_INTEGER forUser{}, total{}, free{};
    if (!::GetDiskFreeSpaceExW(name.substr(0, cut + 1).c_str(), &forUser, &total, &free))
        return std::nullopt;
    return forUser.QuadPart;
}

std::uint64_t MemoryRoom() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!::GlobalMemoryStatusEx(&status)) return std::numeric_limits<std::uint64_t>::max();
    // The memory free to be had, within what the address space and the commit limit leave.
    return std::min({status.ullAvailPhys, status.ullAvailVirtual, status.ullAvailPageFile});
}

}  // namespace rt
