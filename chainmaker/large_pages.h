#pragma once
// Zero-filled memory for large arrays, in 2 MiB pages where the system offers them: the first
// touch of a page costs about the same for 2 MiB as for 4 KiB, and on virtual machines that
// cost is high (tens of microseconds), so that a few MiB in small pages cost more to touch
// than to fill. Below 128 KiB it is in small pages, each touched only when used. It grows by
// moving its pages, not by copying them (only a small block is copied when it turns large).

#include <cstddef>
#include <new>
#include <utility>

namespace chainmaker {

class LargePages {
  public:
    LargePages() = default;
    // Throws std::bad_alloc when the memory cannot be had.
    explicit LargePages(std::size_t size);
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

}  // namespace chainmaker
