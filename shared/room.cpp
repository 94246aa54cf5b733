#include "room.h"

#if !defined(_WIN32)  // Windows: RoomForOutput and MemoryRoom in windows/room_windows.cpp
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysinfo.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <fstream>
#include <limits>
#include <string_view>
#include <utility>

#include "runtime_error.h"

namespace rt {
namespace {

constexpr BigCount kMost = std::numeric_limits<BigCount>::max();
constexpr std::uint64_t kLargeBytes = std::uint64_t{10} << 30;

std::string Digits(BigCount value) {
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(value % 10)));
        value /= 10;
    } while (value != 0);
    return digits;
}

#if !defined(_WIN32)
// The value of the line "key: N kB" of /proc/meminfo, in bytes.
std::optional<std::uint64_t> MemInfo(std::string_view key) {
    std::ifstream in("/proc/meminfo");
    std::string name;
    std::uint64_t kib = 0;
    std::string unit;
    while (in >> name >> kib >> unit)
        if (name.size() == key.size() + 1 && name.starts_with(key)) return kib * 1024;
    return std::nullopt;
}

// A number from a one-line file of the control group ("max" when there is no limit).
std::optional<std::uint64_t> CgroupValue(const char* file) {
    std::ifstream in(std::string("/sys/fs/cgroup/") + file);
    std::uint64_t value = 0;
    if (in >> value) return value;
    return std::nullopt;
}
#endif

}  // namespace

BigCount SaturatingTimes(BigCount a, BigCount b) {
    if (a != 0 && b > kMost / a) return kMost;
    return a * b;
}

BigCount SaturatingPlus(BigCount a, BigCount b) {
    return b > kMost - a ? kMost : a + b;
}

#if !defined(_WIN32)
std::optional<std::uint64_t> RoomForOutput(const std::filesystem::path& outPath) {
    struct stat info {};
    if (::stat(outPath.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) return std::nullopt;
    const std::filesystem::path folder =
        outPath.has_parent_path() ? outPath.parent_path() : std::filesystem::path(".");
    struct statvfs disk {};
    if (::statvfs(folder.c_str(), &disk) != 0) return std::nullopt;
    return static_cast<std::uint64_t>(disk.f_bavail) * disk.f_frsize;
}

std::uint64_t MemoryRoom() {
    std::uint64_t room = std::numeric_limits<std::uint64_t>::max();
    if (const auto available = MemInfo("MemAvailable")) {
        room = *available;
    } else if (struct sysinfo info{}; ::sysinfo(&info) == 0) {
        room = (static_cast<std::uint64_t>(info.freeram) + info.bufferram) * info.mem_unit;
    }
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
        std::uint64_t used = 0;  // the address space the process holds now
        std::ifstream statm("/proc/self/statm");
        if (statm >> used) used *= static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
        const std::uint64_t cap = limit.rlim_cur;
        room = std::min(room, cap > used ? cap - used : 0);
    }
    // The control group's limit, as version 2 and as version 1 name it.
    for (const auto& [limit, usage] :
         {std::pair{"memory.max", "memory.current"},
          std::pair{"memory/memory.limit_in_bytes", "memory/memory.usage_in_bytes"}}) {
        if (const auto most = CgroupValue(limit)) {
            const std::uint64_t current = CgroupValue(usage).value_or(0);
            room = std::min(room, *most > current ? *most - current : 0);
            break;
        }
    }
    return room;
}
#endif

void ThrowTooLargeForMemory(const std::filesystem::path& path, std::uint64_t size,
                            std::uint64_t room) {
    const std::string name = path.filename().string();
    const std::string sized = size == 0 ? name : name + " (" + ReadableSize(size) + ")";
    throw RuntimeError(
        kOutOfMemory,
        path.string() + ": needs more than the " + ReadableSize(room) + " of memory left",
        sized + " would take more memory than this program can get now (" + ReadableSize(room) +
            "): use a shorter " + name);
}

SizeVerdict JudgeSize(BigCount bytes, std::optional<std::uint64_t> room) {
    if (room && bytes > *room) return SizeVerdict::TooLarge;
    if (bytes > kLargeBytes || (room && bytes > *room / 2)) return SizeVerdict::Large;
    return SizeVerdict::Fits;
}

std::string GroupedCount(BigCount count) {
    const std::string digits = Digits(count);
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}

std::string ReadableSize(BigCount bytes) {
    if (bytes < 1024) return GroupedCount(bytes) + (bytes == 1 ? " byte" : " bytes");
    static const char* const kUnits[] = {"KiB", "MiB", "GiB", "TiB"};
    BigCount scale = 1024;
    int unit = 0;
    while (unit < 3 && bytes / scale >= 1024) scale *= 1024, ++unit;
    // Tenths, rounded half up.
    const BigCount tenths = SaturatingPlus(SaturatingTimes(bytes, 10), scale / 2) / scale;
    return GroupedCount(tenths / 10) + "." + Digits(tenths % 10) + " " + kUnits[unit];
}

}  // namespace rt

namespace rt {

std::string InWords(const WrittenSize& size) {
    return (size.linesAtMost ? "at most " : "") + GroupedCount(size.lines) +
           (size.lines == 1 ? " line" : " lines") + " (" + (size.bytesAtMost ? "at most " : "") +
           ReadableSize(size.bytes) + ")";
}

std::string TooLargeForDiskMessage(const WrittenSize& size, std::string_view file,
                                   std::uint64_t room, std::string_view whatToDo) {
    return "This run would write " + InWords(size) + " to " + std::string(file) +
           ", but its disk has only " + ReadableSize(room) +
           " free for it.  Nothing has been written.  " + std::string(whatToDo);
}

std::string LargeForDiskMessage(const WrittenSize& size, std::string_view file,
                                std::optional<std::uint64_t> room, std::string_view whatToDo) {
    std::string text = "This run will write " + InWords(size) + " to " + std::string(file);
    if (room) text += ", on a disk with " + ReadableSize(*room) + " free";
    return text + ".  " + std::string(whatToDo);
}

}  // namespace rt
