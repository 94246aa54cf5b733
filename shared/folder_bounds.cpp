#include "folder_bounds.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <system_error>

#include "runtime_error.h"

namespace rt {
namespace fs = std::filesystem;
namespace {

// As the system follows links when it resolves a name.
constexpr int kMostLinks = 40;

std::string Describe(const fs::path& path, const std::string& reason) {
    return path.string() + ": " + reason;
}

int OpenErrorNumber(int err, bool forWriting) {
    switch (err) {
        case ENOENT:
        case ENOTDIR: return forWriting ? kPathNotFound : kFileNotFound;
        case EACCES:
        case EPERM:
        case EISDIR:
        case EROFS:
        case ETXTBSY:
        case EBUSY:
        case ELOOP:
        case ENXIO:  // a pipe nobody reads, or a socket
            return kPermissionDenied;
        case ENOSPC:
        case EDQUOT: return kDiskFull;
        case ENOMEM: return kOutOfMemory;
        default: return kPathFileAccessError;
    }
}

[[noreturn]] void ThrowOpenError(const fs::path& path, int err, bool forWriting) {
    throw RuntimeError(OpenErrorNumber(err, forWriting), Describe(path, std::strerror(err)));
}

fs::path FolderOf(const fs::path& path) {
    return path.has_parent_path() ? path.parent_path() : fs::path(".");
}

// Where `path` leads once the links of its last name are followed, with every link in the
// folders on the way resolved; a name that does not exist leads to itself. Nullopt for a loop.
std::optional<fs::path> RealPlace(fs::path path) {
    std::error_code ec;
    for (int hops = 0; hops <= kMostLinks; ++hops) {
        if (!fs::is_symlink(fs::symlink_status(path, ec))) {
            fs::path real = fs::weakly_canonical(path, ec);
            if (ec) return std::nullopt;
            return real;
        }
        const fs::path target = fs::read_symlink(path, ec);
        if (ec) return std::nullopt;
        path = target.is_absolute() ? target : FolderOf(path) / target;
    }
    return std::nullopt;
}

bool StrictlyBelow(const fs::path& place, const fs::path& folder) {
    const auto [placeAt, folderAt] =
        std::mismatch(place.begin(), place.end(), folder.begin(), folder.end());
    // Every part of the folder matched and something is left over: a trailing empty part (a
    // folder written with a final separator) does not count.
    return folderAt == folder.end() && placeAt != place.end() && !placeAt->empty();
}

// The descriptor's flags without O_NONBLOCK, which only served to keep a pipe from blocking open.
void Blocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
}

struct Checked {
    fs::path open;  // what to open: the real place, or the path itself where the folder is gone
    bool inside = true;
};

Checked Check(const fs::path& path) {
    std::error_code ec;
    const fs::path folder = fs::canonical(FolderOf(path), ec);
    // A folder that cannot be resolved fails the open itself, with the error that belongs to it.
    if (ec) return {path, true};
    const std::optional<fs::path> place = RealPlace(path);
    if (!place) return {path, true};  // a loop: the open fails with ELOOP
    return {*place, StrictlyBelow(*place, folder)};
}

}  // namespace

bool LeadsInside(const fs::path& path, const fs::path& folder) {
    std::error_code ec;
    const fs::path realFolder = fs::canonical(folder, ec);
    const std::optional<fs::path> place = RealPlace(path);
    return !ec && place && StrictlyBelow(*place, realFolder);
}

int OpenInputFile(const fs::path& path) {
    const Checked checked = Check(path);
    if (!checked.inside)
        throw RuntimeError(kPermissionDenied, Describe(path, "leads out of its folder"));
    const int fd = ::open(checked.open.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) ThrowOpenError(path, errno, false);
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        throw RuntimeError(kPermissionDenied, Describe(path, "not an ordinary file"));
    }
    Blocking(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    return fd;
}

int OpenOutputFile(const fs::path& path) {
    const Checked checked = Check(path);
    if (!checked.inside) {
        // Devices are not data: a link to /dev/null or /dev/full is how people discard or test.
        struct stat info {};
        if (::stat(checked.open.c_str(), &info) != 0 || !S_ISCHR(info.st_mode))
            throw RuntimeError(kPermissionDenied, Describe(path, "leads out of its folder"));
    }
    const int fd = ::open(checked.open.c_str(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) ThrowOpenError(path, errno, true);
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !(S_ISREG(info.st_mode) || S_ISCHR(info.st_mode))) {
        ::close(fd);
        throw RuntimeError(kPermissionDenied, Describe(path, "not an ordinary file"));
    }
    Blocking(fd);
    return fd;
}

}  // namespace rt
