// A file of data read in blocks, on Windows: positioned reads through the file's handle (the
// rest of InputFile is input_file.cpp).
#include <io.h>

#include <utility>

#include "input_file.h"
#include "runtime_error.h"
#include "wide_names.h"

namespace rt {
namespace {

HANDLE HandleOf(int fd) {
    return reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
}

}  // namespace

void InputFile::close() noexcept {
    if (fd_ >= 0) ::_close(std::exchange(fd_, -1));
}

std::uint64_t InputFile::size() const noexcept {
    LARGE_INTEGER size{};
    if (fd_ < 0 || !::GetFileSizeEx(HandleOf(fd_), &size)) return 0;
    return static_cast<std::uint64_t>(size.QuadPart);
}

std::size_t InputFile::readAt(std::uint64_t offset, char* to, std::size_t n) const {
    // At most 1 GiB a call: ReadFile counts in 32 bits.
    const DWORD wanted = static_cast<DWORD>(n < (DWORD{1} << 30) ? n : (DWORD{1} << 30));
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    if (::ReadFile(HandleOf(fd_), to, wanted, &got, &at)) return got;
    const DWORD err = ::GetLastError();
    if (err == ERROR_HANDLE_EOF) return 0;
    throw RuntimeError(err == ERROR_ACCESS_DENIED ? kPermissionDenied : kDeviceIoError,
                       windows::SystemMessage(err));
}

}  // namespace rt
