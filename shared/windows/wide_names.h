#pragma once
// Names on Windows: UTF-8 inside the programs, UTF-16 at every call to Windows, in the long form
// (\\?\C:\...) so that paths beyond 260 characters work and no name is taken for a device.

#include <windows.h>

#include <filesystem>
#include <string>
#include <string_view>

namespace rt::windows {

std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);

// The path made absolute, with \\?\ (or \\?\UNC\ for \\server\share) in front.
std::wstring LongPath(const std::filesystem::path& path);

// What Windows says about `error`, in English where it can, without the final full stop.
std::string SystemMessage(DWORD error);

// True when `inner` is `outer` or lies below it; letter case is ignored, as the file system does.
bool SameOrBelow(std::wstring_view inner, std::wstring_view outer);

// Where an open file or folder really lies (links and junctions resolved): its volume's serial
// number and its path on that volume ("1234:\data\in.txt"); empty where Windows does not say.
// (GetFinalPathNameByHandleW would give a path with the drive, but not beyond 260 characters
// under wine.)
std::wstring PlaceOf(HANDLE handle);

// A handle that closes itself.
class Handle {
  public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    ~Handle() { reset(); }
    Handle(Handle&& other) noexcept : handle_(other.release()) {}
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE get() const { return handle_; }
    HANDLE release() {
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return handle;
    }
    void reset(HANDLE handle = INVALID_HANDLE_VALUE) {
        if (*this) ::CloseHandle(handle_);
        handle_ = handle;
    }

  private:
    HANDLE handle_;
};

}  // namespace rt::windows
