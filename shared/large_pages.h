#pragma once
// Zero-filled memory for large arrays, in 2 MiB pages where the system offers them: the first
// touch of a page costs about the same for 2 MiB as for 4 KiB, and on virtual machines that
// cost is high (tens of microseconds), so that a few MiB in small pages cost more to touch
// than to fill; a big table read at random also misses the address cache far less. Below
// 128 KiB it is in small pages, each touched only when used. It grows by moving its pages, not
// by copying them (only a small block is copied when it turns large). Pages never written take
// no memory, so room reserved for the worst case is free until it is used.

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <limits>
#include <new>
#include <type_traits>
#include <utility>

namespace rt {

class LargePages {
  public:
    LargePages() = default;
    // Throws std::bad_alloc when the memory cannot be had. `populate`: the first `size` bytes
    // will all be used, so their pages are taken at once (one call instead of a fault for each
    // page).
    explicit LargePages(std::size_t size, bool populate = false);
    ~LargePages();
    LargePages(LargePages&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)), mapped_(std::exchange(other.mapped_, 0)) {}
    LargePages& operator=(LargePages&& other) noexcept {
        std::swap(data_, other.data_);
        std::swap(mapped_, other.mapped_);
        return *this;
    }
    LargePages(const LargePages&) = delete;
    LargePages& operator=(const LargePages&) = delete;

    // Makes the memory at least `size` bytes, keeping its first `used` bytes (it may move:
    // pointers into it are then no longer valid). Throws std::bad_alloc when it cannot.
    void grow(std::size_t size, std::size_t used);

    char* data() const noexcept { return data_; }
    std::size_t size() const noexcept { return mapped_; }
    template <typename T>
    T* as() const noexcept {
        return reinterpret_cast<T*>(data_);
    }

  private:
    char* data_ = nullptr;
    std::size_t mapped_ = 0;
};

// An array of `size()` plain values in LargePages; every value not yet written is zero bytes.
template <class T>
class LargeArray {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

  public:
    LargeArray() = default;
    // `size` values; `populate` as for LargePages. Memory that cannot be had: std::bad_alloc.
    explicit LargeArray(std::size_t size, bool populate = false)
        : pages_(BytesOf(size), populate), size_(size) {}

    // Room for `size` values, the first `keep` of them kept (as far as there are any); the
    // rest are zero.
    void grow(std::size_t size, std::size_t keep) {
        keep = std::min({keep, size_, size});
        pages_.grow(BytesOf(size), keep * sizeof(T));
        // Past `keep` the old values are made zero again; beyond the old size nothing was written.
        if (size_ > keep)
            std::memset(pages_.data() + keep * sizeof(T), 0, (size_ - keep) * sizeof(T));
        size_ = size;
    }

    std::size_t size() const noexcept { return size_; }
    T* data() noexcept { return pages_.as<T>(); }
    const T* data() const noexcept { return pages_.as<T>(); }
    T& operator[](std::size_t k) noexcept { return data()[k]; }
    const T& operator[](std::size_t k) const noexcept { return data()[k]; }

  private:
    static std::size_t BytesOf(std::size_t size) {
        if (size > std::numeric_limits<std::size_t>::max() / sizeof(T)) throw std::bad_alloc();
        return size * sizeof(T);
    }

    LargePages pages_;
    std::size_t size_ = 0;
};

}  // namespace rt
