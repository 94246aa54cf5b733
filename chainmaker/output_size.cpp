#include "output_size.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <limits>
#include <system_error>

namespace chainmaker {
namespace {

constexpr BigCount kMost = std::numeric_limits<BigCount>::max();
constexpr std::uint64_t kLargeBytes = std::uint64_t{10} << 30;

BigCount Times(BigCount a, BigCount b) {
    if (a != 0 && b > kMost / a) return kMost;
    return a * b;
}

BigCount Plus(BigCount a, BigCount b) {
    return b > kMost - a ? kMost : a + b;
}

std::string Digits(BigCount value) {
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(value % 10)));
        value /= 10;
    } while (value != 0);
    return digits;
}

std::string Lines(const OutputSize& size, bool bounded) {
    return (bounded ? "at most " : "") + GroupedCount(size.lines) +
           (size.lines == 1 ? " line" : " lines") + " (" + ReadableSize(size.bytes) + ")";
}

}  // namespace

OutputSize SizeOfOutput(const StringList& list, std::int32_t count, std::size_t separatorLength,
                        const BlockWanted& wanted) {
    const std::size_t n =
        std::min(static_cast<std::size_t>(std::max(count, std::int32_t{0})), list.size());
    BigCount text = 0;  // the strings' bytes, all together
    for (std::size_t i = 0; i < n; ++i) text += list[i].size();
    OutputSize size;
    BigCount tuples = 1;  // n^(k-1), then n^k
    for (int k = 1; k <= kMaxMembers; ++k) {
        const BigCount before = tuples;  // n^(k-1)
        tuples = Times(tuples, n);
        if (!wanted(k)) continue;
        // Each string stands k * n^(k-1) times in block k; each line has k-1 separators and CR LF.
        const BigCount members = Times(Times(k, before), text);
        const BigCount rest = Times(tuples, static_cast<BigCount>(k - 1) * separatorLength + 2);
        size.lines = Plus(size.lines, tuples);
        size.bytes = Plus(size.bytes, Plus(members, rest));
    }
    return size;
}

std::optional<std::uint64_t> RoomForOutput(const std::filesystem::path& outPath) {
    std::uint64_t present = 0;
    struct stat info {};
    if (::stat(outPath.c_str(), &info) == 0) {
        if (!S_ISREG(info.st_mode)) return std::nullopt;
        present = static_cast<std::uint64_t>(info.st_size);
    }
    const std::filesystem::path folder =
        outPath.has_parent_path() ? outPath.parent_path() : std::filesystem::path(".");
    struct statvfs disk {};
    if (::statvfs(folder.c_str(), &disk) != 0) return std::nullopt;
    return static_cast<std::uint64_t>(disk.f_bavail) * disk.f_frsize + present;
}

SizeVerdict JudgeSize(const OutputSize& size, std::optional<std::uint64_t> room) {
    if (room && size.bytes > *room) return SizeVerdict::TooLarge;
    if (size.bytes > kLargeBytes || (room && size.bytes > *room / 2)) return SizeVerdict::Large;
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
    if (bytes < 1000) return Digits(bytes) + (bytes == 1 ? " byte" : " bytes");
    static const char* const kUnits[] = {"kB", "MB", "GB", "TB"};
    BigCount scale = 1000;
    int unit = 0;
    while (unit < 3 && bytes / scale >= 1000) scale *= 1000, ++unit;
    // Tenths, rounded half up.
    const BigCount tenths = Plus(Times(bytes, 10), scale / 2) / scale;
    return GroupedCount(tenths / 10) + "." + Digits(tenths % 10) + " " + kUnits[unit];
}

std::string TooLargeMessage(const OutputSize& size, std::uint64_t room, bool bounded,
                            std::string_view whatToDo) {
    return "This run would write " + Lines(size, bounded) + " to out.txt, but its disk has only " +
           ReadableSize(room) + " free for it.  Nothing has been written.  " +
           std::string(whatToDo);
}

std::string LargeMessage(const OutputSize& size, std::optional<std::uint64_t> room, bool bounded,
                         std::string_view whatToDo) {
    std::string text = "This run will write " + Lines(size, bounded) + " to out.txt";
    if (room) text += ", on a disk with " + ReadableSize(*room) + " free";
    return text + ".  " + std::string(whatToDo);
}

}  // namespace chainmaker
