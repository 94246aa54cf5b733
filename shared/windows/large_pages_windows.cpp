// Zero-filled memory for large arrays, on Windows. Committed memory is zero and takes no room
// until a page is written, as on Linux. Large pages cannot be had that way: Windows gives them
// only to a process that holds the privilege to lock memory in (SeLockMemoryPrivilege), all at
// once and never paged out, so they are used only there, and only for memory that will all be
// used (`populate`). Elsewhere, ordinary pages.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "large_pages.h"

namespace rt {

namespace {
constexpr std::size_t kLargePage = std::size_t{2} << 20;
constexpr std::size_t kFirstGrowth = std::size_t{64} << 10;

// The size of a large page where this process may use them, else 0.
std::size_t LargePageSize() {
    static const std::size_t size = [] {
        const std::size_t page = ::GetLargePageMinimum();
        if (page == 0) return std::size_t{0};
        HANDLE token = nullptr;
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                                &token))
            return std::size_t{0};
        TOKEN_PRIVILEGES privileges{};
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        bool held =
            ::LookupPrivilegeValueW(nullptr, SE_LOCK_MEMORY_NAME, &privileges.Privileges[0].Luid) &&
            ::AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
            ::GetLastError() == ERROR_SUCCESS;  // not ERROR_NOT_ALL_ASSIGNED
        ::CloseHandle(token);
        return held ? page : std::size_t{0};
    }();
    return size;
}

}  // namespace

LargePages::LargePages(std::size_t size, bool populate) {
    if (size == 0) return;
    if (size > SIZE_MAX - 2 * kLargePage) throw std::bad_alloc();
    if (const std::size_t page = LargePageSize(); populate && page > 0 && size >= kLargePage) {
        const std::size_t whole = (size + page - 1) / page * page;
        if (void* const mapped = ::VirtualAlloc(
                nullptr, whole, MEM_RESERVE | MEM_COMMIT | MEM_LARGE_PAGES, PAGE_READWRITE)) {
            data_ = static_cast<char*>(mapped);
            mapped_ = whole;
            return;
        }
    }
    void* const mapped = ::VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!mapped) throw std::bad_alloc();
    data_ = static_cast<char*>(mapped);
    mapped_ = size;
}

void LargePages::grow(std::size_t size, std::size_t used) {
    if (size <= mapped_) return;
    if (!data_) {
        *this = LargePages(std::max(size, kFirstGrowth));
        return;
    }
    if (size > SIZE_MAX / 2 - kLargePage) throw std::bad_alloc();
    LargePages larger(std::max(size, 2 * mapped_));
    std::memcpy(larger.data_, data_, std::min(used, mapped_));
    *this = std::move(larger);
}

LargePages::~LargePages() {
    if (data_) ::VirtualFree(data_, 0, MEM_RELEASE);
}

}  // namespace rt
