#include "chunk_writer.h"

#include <cstring>
#include <utility>

namespace chainmaker {

ChunkWriter::~ChunkWriter() {
    if (failed_ || used_ == 0) return;
    try {
        out_.print(std::string_view(chunk_.data(), used_));
    } catch (...) {
        // The run is failing already; what could not be written is lost either way.
    }
}

void ChunkWriter::print(std::string_view text) {
    try {
        out_.print(text);
    } catch (...) {
        failed_ = true;
        throw;
    }
}

void ChunkWriter::handOver() {
    if (used_ == 0) return;
    total_ += used_;
    print(std::string_view(chunk_.data(), std::exchange(used_, 0)));
    // A chunk ends with a whole line, so the output does too if this throws.
    if (handedOver_) handedOver_(total_);
}

void ChunkWriter::append(std::string_view text) {
    if (text.size() <= room()) {
        if (!text.empty()) std::memcpy(cursor(), text.data(), text.size());
        advance(cursor() + text.size());
        return;
    }
    // Longer than the room: what is formed goes first, then the text directly.
    handOver();
    total_ += text.size();
    print(text);
}

}  // namespace chainmaker
