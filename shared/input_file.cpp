#include "input_file.h"

#if !defined(_WIN32)  // Windows: close, size and readAt in windows/input_file_windows.cpp
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstring>
#include <utility>

#include "folder_bounds.h"
#include "runtime_error.h"

namespace rt {

InputFile::InputFile(const std::filesystem::path& path) : fd_(OpenInputFile(path)) {}

InputFile::~InputFile() {
    close();
}

InputFile::InputFile(InputFile&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

InputFile& InputFile::operator=(InputFile&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

#if !defined(_WIN32)
void InputFile::close() noexcept {
    if (fd_ >= 0) ::close(std::exchange(fd_, -1));
}

std::uint64_t InputFile::size() const noexcept {
    struct stat info {};
    if (fd_ < 0 || ::fstat(fd_, &info) != 0) return 0;
    return static_cast<std::uint64_t>(info.st_size);
}

std::size_t InputFile::readAt(std::uint64_t offset, char* to, std::size_t n) const {
    for (;;) {
        const ssize_t got = ::pread(fd_, to, n, static_cast<off_t>(offset));
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno == EINTR) continue;
        const int err = errno;
        throw RuntimeError(err == EISDIR ? kPermissionDenied : kDeviceIoError, std::strerror(err));
    }
}
#endif

std::uint64_t InputFile::textStart() const {
    char start[3];
    std::size_t have = 0;
    while (have < sizeof start) {
        const std::size_t got = readAt(have, start + have, sizeof start - have);
        if (got == 0) return 0;
        have += got;
    }
    return std::memcmp(start, "\xEF\xBB\xBF", sizeof start) == 0 ? sizeof start : 0;
}

}  // namespace rt
