#include "folder_bounds.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "runtime_error.h"

namespace rt {
namespace fs = std::filesystem;
namespace {

// As the system follows links when it resolves a name.
constexpr int kMostLinks = 40;
// A name that keeps turning into a second name of some file while it is replaced.
constexpr int kMostReplacements = 8;

class Descriptor {
  public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        if (this != &other) reset(std::exchange(other.fd_, -1));
        return *this;
    }
    explicit operator bool() const { return fd_ >= 0; }
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }
    void reset(int fd = -1) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }

  private:
    int fd_;
};

std::string NameOf(const fs::path& path) {
    return path.filename().string();
}

std::string Describe(const fs::path& path, const std::string& reason) {
    return path.string() + ": " + reason;
}

[[noreturn]] void Refuse(const fs::path& path, const std::string& reason,
                         const std::string& advice) {
    throw RuntimeError(kPermissionDenied, Describe(path, reason), advice);
}

std::string LeadsOut(const fs::path& path) {
    return NameOf(path) +
           " is a link that leads out of this folder: remove it or replace it by a "
           "file";
}

std::string NotAFile(const fs::path& path, mode_t mode) {
    if (S_ISDIR(mode)) return NameOf(path) + " is a folder, not a file: rename or remove it";
    return NameOf(path) + " is a pipe, a socket or a device, not a file: replace it by a file";
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

// The sentence that says why a name cannot be opened, where the reason is the user's to mend.
std::string OpenErrorAdvice(const fs::path& path, int err, bool forWriting) {
    switch (err) {
        case EACCES:
        case EPERM:
            return forWriting
                       ? NameOf(path) + " may not be written: it, or its folder, is read-only"
                       : NameOf(path) + " may not be read: give yourself permission to read it";
        case EROFS: return NameOf(path) + " is on a disk that may not be written";
        case EISDIR: return NotAFile(path, S_IFDIR);
        case ELOOP: return NameOf(path) + " is a loop of links: remove it or replace it by a file";
        case ENXIO: return NotAFile(path, S_IFIFO);
        default: return {};
    }
}

[[noreturn]] void ThrowOpenError(const fs::path& path, int err, bool forWriting) {
    throw RuntimeError(OpenErrorNumber(err, forWriting), Describe(path, std::strerror(err)),
                       OpenErrorAdvice(path, err, forWriting));
}

// The descriptor's flags without O_NONBLOCK, which only served to keep a pipe from blocking open.
void Blocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
}

// /dev/null and /dev/full: how people discard an output, or try a full disk.
bool DiscardDevice(const struct stat& info) {
    return S_ISCHR(info.st_mode) && major(info.st_rdev) == 1 &&
           (minor(info.st_rdev) == 3 || minor(info.st_rdev) == 7);
}

// ---- The files of the run ---------------------------------------------------------------------

struct KnownFile {
    dev_t device;
    ino_t inode;
    std::string name;
};

std::mutex knownMutex;
bool runGoesOn = false;
std::vector<KnownFile> known;

void Remember(const struct stat& info, const fs::path& path) {
    const std::lock_guard lock(knownMutex);
    if (runGoesOn) known.push_back({info.st_dev, info.st_ino, NameOf(path)});
}

std::optional<std::string> KnownAs(const struct stat& info) {
    const std::lock_guard lock(knownMutex);
    for (const KnownFile& file : known)
        if (file.device == info.st_dev && file.inode == info.st_ino) return file.name;
    return std::nullopt;
}

// ---- Resolving a name -------------------------------------------------------------------------

// The real path of an open folder.
fs::path RealPathOf(int fd, const fs::path& fallback) {
    std::error_code ec;
    fs::path real = fs::read_symlink("/proc/self/fd/" + std::to_string(fd), ec);
    if (!ec && real.is_absolute()) return real;
    real = fs::canonical(fallback, ec);
    return ec ? fallback : real;
}

std::optional<std::string> ReadLinkAt(int folder, const std::string& name) {
    std::string target(256, '\0');
    for (;;) {
        const ssize_t length = ::readlinkat(folder, name.c_str(), target.data(), target.size());
        if (length < 0) return std::nullopt;
        if (static_cast<std::size_t>(length) < target.size()) {
            target.resize(static_cast<std::size_t>(length));
            return target;
        }
        target.resize(target.size() * 2);
    }
}

// Where the last name of `path` leads, resolved from a descriptor of its folder: every name is
// opened without following links, and a link is read and its target resolved in turn, as the
// system would. Inside the folder the walk holds each folder it passes open (so ".." is the
// folder it came from, whatever is renamed meanwhile); a link that leaves the folder is followed
// by its path, and coming back into the folder resumes from the folder's descriptor.
class Resolution {
  public:
    Resolution(const fs::path& path, bool forWriting) : path_(path), forWriting_(forWriting) {
        const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
        Descriptor root(::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (!root) ThrowOpenError(path, errno, forWriting);
        real_ = RealPathOf(root.get(), folder);
        folders_.push_back(std::move(root));
        std::vector<std::string> pending{path.filename().string()};  // the next name last
        int links = 0;
        while (!pending.empty()) {
            const std::string name = std::move(pending.back());
            pending.pop_back();
            const bool last = pending.empty();
            if (name.empty() || name == "." || name == "..") {
                if (name == "..") up();
                if (last) folder_ = true;
                continue;
            }
            std::optional<std::string> target = step(name, last);
            if (!target) continue;
            if (++links > kMostLinks) ThrowOpenError(path_, ELOOP, forWriting_);
            const fs::path to(*target);
            std::vector<std::string> parts;
            for (const fs::path& part : to.relative_path()) parts.push_back(part.string());
            if (parts.empty()) parts.push_back(".");
            pending.insert(pending.end(), parts.rbegin(), parts.rend());
            if (to.is_absolute()) {
                folders_.resize(1);
                outside_ = fs::path("/");
                comeBack();
            }
        }
    }

    // The last name leads out of the folder, to this place.
    const std::optional<fs::path>& outside() const { return outside_; }
    // The last name leads to a folder ("." or "..").
    bool folder() const { return folder_; }
    // Inside: the folder that holds the last name, and that name, which was no link when looked
    // at (it may not exist).
    int parent() const { return folders_.back().get(); }
    const std::string& name() const { return name_; }

  private:
    void up() {
        if (outside_) {
            outside_ = outside_->parent_path();
            comeBack();
        } else if (folders_.size() > 1) {
            folders_.pop_back();
        } else {
            outside_ = real_.parent_path();
        }
    }

    void comeBack() {
        if (outside_ && *outside_ == real_) {
            outside_.reset();
            folders_.resize(1);
        }
    }

    // Goes to `name`; the target when it is a link, to be resolved in its place.
    std::optional<std::string> step(const std::string& name, bool last) {
        if (outside_) {
            const fs::path at = *outside_ / name;
            std::error_code ec;
            if (fs::is_symlink(fs::symlink_status(at, ec))) {
                const fs::path target = fs::read_symlink(at, ec);
                if (!ec) return target.string();
            }
            outside_ = at;
            if (!last) comeBack();
            return std::nullopt;
        }
        const int here = folders_.back().get();
        if (last) {
            struct stat info {};
            if (::fstatat(here, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISLNK(info.st_mode)) {
                if (auto target = ReadLinkAt(here, name)) return target;
            }
            name_ = name;
            return std::nullopt;
        }
        // A name swapped between a folder and a link as it is looked at is looked at again.
        for (int look = 0;; ++look) {
            Descriptor next(
                ::openat(here, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (next) {
                folders_.push_back(std::move(next));
                return std::nullopt;
            }
            const int err = errno;
            if (err != ELOOP && err != ENOTDIR) ThrowOpenError(path_, err, forWriting_);
            if (auto target = ReadLinkAt(here, name)) return target;
            if (errno != EINVAL || look == kMostLinks) ThrowOpenError(path_, err, forWriting_);
        }
    }

    const fs::path& path_;
    const bool forWriting_;
    fs::path real_;                    // the folder's real path
    std::vector<Descriptor> folders_;  // the folder, then each sub-folder passed into
    std::optional<fs::path> outside_;  // where the walk is while outside the folder
    std::string name_;
    bool folder_ = false;
};

// A new file of that name, made by this open; empty when the name exists meanwhile.
Descriptor CreateAnew(const Resolution& at, const fs::path& path) {
    Descriptor fd(::openat(at.parent(), at.name().c_str(),
                           O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (!fd && errno != EEXIST) ThrowOpenError(path, errno, true);
    return fd;
}

int OpenedOutput(Descriptor fd, const fs::path& path) {
    struct stat info {};
    if (::fstat(fd.get(), &info) == 0) Remember(info, path);
    Blocking(fd.get());
    return fd.release();
}

// An output whose link leads out of the folder: written only where it is /dev/null or /dev/full.
int OpenDiscardDevice(const fs::path& path, const fs::path& place) {
    struct stat info {};
    if (::stat(place.c_str(), &info) != 0 || !DiscardDevice(info))
        Refuse(path, "leads out of its folder", LeadsOut(path));
    Descriptor fd(::open(place.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
    if (!fd) ThrowOpenError(path, errno, true);
    if (::fstat(fd.get(), &info) != 0 || !DiscardDevice(info))
        Refuse(path, "leads out of its folder", LeadsOut(path));
    return fd.release();
}

}  // namespace

RunFiles::RunFiles() {
    const std::lock_guard lock(knownMutex);
    known.clear();
    runGoesOn = true;
}

RunFiles::~RunFiles() {
    const std::lock_guard lock(knownMutex);
    known.clear();
    runGoesOn = false;
}

int OpenInputFile(const fs::path& path) {
    const Resolution at(path, false);
    if (at.outside()) Refuse(path, "leads out of its folder", LeadsOut(path));
    if (at.folder()) Refuse(path, "a folder", NotAFile(path, S_IFDIR));
    Descriptor fd(::openat(at.parent(), at.name().c_str(),
                           O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC));
    if (!fd) ThrowOpenError(path, errno, false);
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) ThrowOpenError(path, errno, false);
    if (!S_ISREG(info.st_mode)) Refuse(path, "not an ordinary file", NotAFile(path, info.st_mode));
    if (info.st_nlink > 1)
        Refuse(path, "has a second name (a hard link)",
               NameOf(path) +
                   " has a second name elsewhere (a hard link): copy it to give the "
                   "folder its own file");
    Remember(info, path);
    Blocking(fd.get());
    ::posix_fadvise(fd.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    return fd.release();
}

int OpenOutputFile(const fs::path& path) {
    const Resolution at(path, true);
    if (at.outside()) return OpenDiscardDevice(path, *at.outside());
    if (at.folder()) Refuse(path, "a folder", NotAFile(path, S_IFDIR));
    for (int attempt = 0; attempt < kMostReplacements; ++attempt) {
        Descriptor fd(::openat(at.parent(), at.name().c_str(),
                               O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC));
        if (!fd) {
            if (errno != ENOENT) ThrowOpenError(path, errno, true);
            fd = CreateAnew(at, path);
            if (fd) return OpenedOutput(std::move(fd), path);
            continue;  // made by someone else meanwhile: look at it again
        }
        struct stat info {};
        if (::fstat(fd.get(), &info) != 0) ThrowOpenError(path, errno, true);
        if (DiscardDevice(info)) return fd.release();
        if (!S_ISREG(info.st_mode))
            Refuse(path, "not an ordinary file", NotAFile(path, info.st_mode));
        if (const auto same = KnownAs(info))
            Refuse(path, "the same file as " + *same,
                   NameOf(path) + " is the same file as " + *same +
                       ", which this run uses: remove " + NameOf(path) +
                       " or replace it by a file of its own");
        if (info.st_nlink > 1) {
            // The other names keep their bytes: this name gets a file of its own.
            fd.reset();
            if (::unlinkat(at.parent(), at.name().c_str(), 0) != 0 && errno != ENOENT)
                ThrowOpenError(path, errno, true);
            fd = CreateAnew(at, path);
            if (fd) return OpenedOutput(std::move(fd), path);
            continue;
        }
        if (::ftruncate(fd.get(), 0) != 0) ThrowOpenError(path, errno, true);
        return OpenedOutput(std::move(fd), path);
    }
    Refuse(path, "keeps changing", NameOf(path) + " keeps changing while it is opened");
}

}  // namespace rt
