#include "large_pages.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

namespace rt {

namespace {
constexpr std::size_t kLargePage = std::size_t{2} << 20;
constexpr std::size_t kFirstGrowth = std::size_t{64} << 10;
constexpr std::size_t kSmall = kLargePage / 16;  // below this, small pages

void Populate(char* data, std::size_t size) {
#ifdef MADV_POPULATE_WRITE
    ::madvise(data, size, MADV_POPULATE_WRITE);  // a hint: untaken pages are taken when touched
#else
    (void)data;
    (void)size;
#endif
}
}  // namespace

LargePages::LargePages(std::size_t size, bool populate) {
    if (size == 0) return;
    if (size > SIZE_MAX - 2 * kLargePage) throw std::bad_alloc();
    if (size < kSmall) {
        // Small: ordinary pages, each touched only when used.
        void* const mapped =
            ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED) throw std::bad_alloc();
        data_ = static_cast<char*>(mapped);
        mapped_ = size;
        if (populate) Populate(data_, size);
        return;
    }
    // Whole large pages, on a large-page boundary: map one page more and give back the ends.
    const std::size_t whole = (size + kLargePage - 1) & ~(kLargePage - 1);
    const std::size_t asked = whole + kLargePage;
    void* const mapped =
        ::mmap(nullptr, asked, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + kLargePage - 1) & ~std::uintptr_t{kLargePage - 1};
    if (aligned > start) ::munmap(mapped, aligned - start);
    const std::size_t tail = start + asked - (aligned + whole);
    if (tail > 0) ::munmap(reinterpret_cast<void*>(aligned + whole), tail);
    data_ = reinterpret_cast<char*>(aligned);
    mapped_ = whole;
#ifdef MADV_HUGEPAGE
    ::madvise(data_, mapped_, MADV_HUGEPAGE);  // a hint; small pages do as well, only slower
#endif
    if (populate) Populate(data_, size);
}

void LargePages::grow(std::size_t size, std::size_t used) {
    if (size <= mapped_) return;
    if (!data_) {
        *this = LargePages(std::max(size, kFirstGrowth));
        return;
    }
    if (size > SIZE_MAX / 2 - kLargePage) throw std::bad_alloc();
    const std::size_t wanted = std::max(size, 2 * mapped_);
    if (wanted < kSmall) {
        void* const moved = ::mremap(data_, mapped_, wanted, MREMAP_MAYMOVE);
        if (moved == MAP_FAILED) throw std::bad_alloc();
        data_ = static_cast<char*>(moved);
        mapped_ = wanted;
        return;
    }
    LargePages larger(wanted);
    if (mapped_ < kSmall) {
        // From small pages to large ones: the few bytes are copied, so that the new block is
        // all large pages.
        std::memcpy(larger.data_, data_, std::min(used, mapped_));
    } else {
        // Large pages on a large-page boundary move to the new place as they are.
        void* const moved =
            ::mremap(data_, mapped_, mapped_, MREMAP_MAYMOVE | MREMAP_FIXED, larger.data_);
        if (moved == MAP_FAILED) throw std::bad_alloc();
        data_ = nullptr;
    }
    *this = std::move(larger);
}

LargePages::~LargePages() {
    if (data_) ::munmap(data_, mapped_);
}

}  // namespace rt
