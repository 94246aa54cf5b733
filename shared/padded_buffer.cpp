#include "padded_buffer.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace rt {

PaddedBuffer::PaddedBuffer(std::size_t size, Memory memory) : memory_(memory) {
    grow(size, 0);  // also for no bytes: the padding is there
}

void PaddedBuffer::grow(std::size_t size, std::size_t keep) {
    if (data_ && size <= size_) return;
    if (size > static_cast<std::size_t>(-1) - kPadding) throw std::bad_alloc();
    keep = std::min(keep, size_);
    if (memory_ == Memory::kLargePages) {
        pages_.grow(size + kPadding, keep);
        data_ = pages_.data();
        size_ = pages_.size() - kPadding;
        return;
    }
    auto larger = std::make_unique<char[]>(size + kPadding);
    if (keep > 0) std::memcpy(larger.get(), ordinary_.get(), keep);
    ordinary_ = std::move(larger);
    data_ = ordinary_.get();
    size_ = size;
}

}  // namespace rt
