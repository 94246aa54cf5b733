#pragma once
// Buffers that code may read, or write, past the end of what it works on: the one allowance of
// bytes for that, and the buffer that keeps it behind its bytes.

#include <cstddef>
#include <memory>
#include <utility>

#include "large_pages.h"

namespace rt {

// Bytes past the end of a buffer's contents that may be read, or written and then overwritten or
// dropped. The largest of these needs: Binning looks for line feeds 64 bytes at a time from
// anywhere in its last 64 bytes and reads a number up to 16 bytes past its start
// (plain_number.h); Chainmaker and Splitword copy lines in whole pieces of 16, 32 or 64 bytes
// that run past their ends.
inline constexpr std::size_t kPadding = 128;

// size() bytes with kPadding more behind them, all zero at first, in ordinary memory or in
// LargePages (for large blocks that are written through from start to end).
class PaddedBuffer {
  public:
    enum class Memory : unsigned char { kOrdinary, kLargePages };

    // No bytes yet (data() is null) until it grows.
    explicit PaddedBuffer(Memory memory = Memory::kOrdinary) : memory_(memory) {}
    // `size` bytes and the padding. Memory that cannot be had: std::bad_alloc.
    explicit PaddedBuffer(std::size_t size, Memory memory = Memory::kOrdinary);
    PaddedBuffer(PaddedBuffer&& other) noexcept
        : memory_(other.memory_),
          ordinary_(std::move(other.ordinary_)),
          pages_(std::move(other.pages_)),
          data_(std::exchange(other.data_, nullptr)),
          size_(std::exchange(other.size_, 0)) {}
    PaddedBuffer& operator=(PaddedBuffer&& other) noexcept {
        memory_ = other.memory_;
        std::swap(ordinary_, other.ordinary_);
        std::swap(pages_, other.pages_);
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        return *this;
    }

    char* data() const noexcept { return data_; }
    // The bytes before the padding (LargePages may give more than were asked for).
    std::size_t size() const noexcept { return size_; }
    // Makes size() at least `size`, keeping the first `keep` bytes (it may move: pointers into it
    // are then no longer valid); ordinary memory is then exactly `size` bytes and the padding.
    void grow(std::size_t size, std::size_t keep);

  private:
    Memory memory_;
    std::unique_ptr<char[]> ordinary_;
    LargePages pages_;
    char* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace rt
