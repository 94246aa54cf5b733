#pragma once
// Arrays of plain values in memory mapped for them alone, which the system may back with large
// pages: a big table read at random then costs far fewer page faults and address-translation
// misses. The values start as zero bytes; pages never written take no memory, so room reserved
// for the worst case is free until it is used.

#include <sys/mman.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <limits>
#include <new>
#include <type_traits>
#include <utility>

namespace splitword {

template <class T>
class BigArray {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

  public:
    BigArray() = default;
    // `size` values, every byte zero. Memory that cannot be had: std::bad_alloc. `fill`: the
    // whole array will be used, so its pages are taken at once (one call instead of a fault
    // for each page).
    explicit BigArray(std::size_t size, bool fill = false) : size_(size) {
        if (size == 0) return;
        if (size > std::numeric_limits<std::size_t>::max() / sizeof(T)) throw std::bad_alloc();
        bytes_ = size * sizeof(T);
        void* memory =
            ::mmap(nullptr, bytes_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (memory == MAP_FAILED) throw std::bad_alloc();
        // Only a hint: without large pages the array works the same.
        if (bytes_ >= kLargePage) ::madvise(memory, bytes_, MADV_HUGEPAGE);
#ifdef MADV_POPULATE_WRITE
        if (fill) ::madvise(memory, bytes_, MADV_POPULATE_WRITE);
#else
        (void)fill;
#endif
        data_ = static_cast<T*>(memory);
    }
    ~BigArray() {
        release();
    }
    BigArray(BigArray&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)),
          size_(std::exchange(other.size_, 0)),
          bytes_(std::exchange(other.bytes_, 0)) {}
    BigArray& operator=(BigArray&& other) noexcept {
        if (this != &other) {
            release();
            data_ = std::exchange(other.data_, nullptr);
            size_ = std::exchange(other.size_, 0);
            bytes_ = std::exchange(other.bytes_, 0);
        }
        return *this;
    }
    BigArray(const BigArray&) = delete;
    BigArray& operator=(const BigArray&) = delete;

    // Room for `size` values, the first `keep` of them kept (as far as there are any); the
    // rest are zero. Growing moves the pages instead of copying them where the system can.
    void grow(std::size_t size, std::size_t keep) {
        keep = std::min({keep, size_, size});
        if (data_ != nullptr && size > size_ &&
            size <= std::numeric_limits<std::size_t>::max() / sizeof(T)) {
            const std::size_t bytes = size * sizeof(T);
            void* moved = ::mremap(data_, bytes_, bytes, MREMAP_MAYMOVE);
            if (moved != MAP_FAILED) {
                data_ = static_cast<T*>(moved);
                // The new pages are zero; the old ones past `keep` are made so.
                std::memset(static_cast<void*>(data_ + keep), 0, (size_ - keep) * sizeof(T));
                if (bytes >= kLargePage) ::madvise(moved, bytes, MADV_HUGEPAGE);
                size_ = size;
                bytes_ = bytes;
                return;
            }
        }
        BigArray larger(size);
        if (keep > 0) std::memcpy(larger.data_, data_, keep * sizeof(T));
        *this = std::move(larger);
    }

    std::size_t size() const noexcept {
        return size_;
    }
    T* data() noexcept {
        return data_;
    }
    const T* data() const noexcept {
        return data_;
    }
    T& operator[](std::size_t k) noexcept {
        return data_[k];
    }
    const T& operator[](std::size_t k) const noexcept {
        return data_[k];
    }

  private:
    static constexpr std::size_t kLargePage = std::size_t{2} << 20;

    void release() noexcept {
        if (data_ != nullptr) ::munmap(data_, bytes_);
        data_ = nullptr;
    }

    T* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t bytes_ = 0;
};

}  // namespace splitword
