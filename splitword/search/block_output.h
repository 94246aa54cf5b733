#pragma once
// The lines of the search in blocks, and their hand-over to the thread that writes out.txt.
// A part of the search (splitword/search/), which splitword_job.cpp alone
// uses.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <string_view>
#include <vector>

#include "run_progress.h"
#include "stop_signals.h"
#include "textfile.h"

namespace splitword::search {

// A block hands over at most this many progress marks, so that progress is shown while the
// search goes on even when it finds little.
inline constexpr std::size_t kMarksPerBlock = 16;

struct Block {
    explicit Block(char* memory) : data(memory) { marks.reserve(kMarksPerBlock); }
    char* data;
    std::size_t used = 0;
    std::vector<std::int32_t> marks;  // the progress calls that come before its lines
    std::int32_t segment = 0;         // the words it holds lines of (see ParallelSearch)
    bool last = false;                // the segment's last block
    std::exception_ptr error;         // the failure that ended the search after its lines
};

// The search's side of the hand-over: takes a full block, gives an empty one back.
class BlockSink {
  public:
    virtual ~BlockSink() = default;
    virtual Block& handOver(Block& full) = 0;
    // Takes the last block.
    virtual void handOverLast(Block& full) = 0;
};

// The calling thread's side: makes a block's progress calls, then writes its lines (in one
// piece, so that a full block goes straight to the file).
class FindWriter {
  public:
    FindWriter(rt::LineWriter& out, rt::RunEvents& progress, std::int32_t count)
        : out_(out), progress_(progress), count_(count) {}
    void write(const Block& block) {
        rt::ThrowIfStopRequested();  // a stop asked for by a signal, before the block's lines
        for (const std::int32_t index : block.marks)
            progress_.progress(static_cast<std::uint64_t>(index),
                               static_cast<std::uint64_t>(count_));
        print(block);
    }
    // Lines whose progress calls were made before.
    void print(std::string_view lines) { out_.print(lines); }
    void print(const Block& block) { print(std::string_view(block.data, block.used)); }

  private:
    rt::LineWriter& out_;
    rt::RunEvents& progress_;
    std::int32_t count_;
};

// Lines into the current block; a full block goes to the sink.
class LineOutput {
  public:
    LineOutput(BlockSink& sink, Block& first, std::size_t capacity)
        : sink_(sink), block_(&first), capacity_(capacity) {
        start();
    }

    // Copies `size` bytes of `line`, whose buffer is padded (rt::kPadding bytes past its end).
    void put(const char* line, std::size_t size) {
        // Short lines take a copy of fixed size, which the compiler makes a few moves.
        if (size <= 32 && static_cast<std::size_t>(end_ - cur_) >= 32) {
            std::memcpy(cur_, line, 32);
            cur_ += size;
        } else if (size <= 64 && static_cast<std::size_t>(end_ - cur_) >= 64) {
            std::memcpy(cur_, line, 64);
            cur_ += size;
        } else {
            putLong(line, size);
        }
    }
    // Copies the line `times` times: the copies already made are copied, doubling each time.
    void putRepeated(const char* line, std::size_t size, std::uint64_t times) {
        while (times > 0) {
            const std::uint64_t fit = static_cast<std::size_t>(end_ - cur_) / size;
            if (fit == 0) {
                putLong(line, size);
                --times;
                continue;
            }
            const std::uint64_t copies = std::min(times, fit);
            std::memcpy(cur_, line, size);
            for (std::uint64_t made = 1; made < copies;) {
                const std::uint64_t more = std::min(made, copies - made);
                std::memcpy(cur_ + made * size, cur_, more * size);
                made += more;
            }
            cur_ += copies * size;
            times -= copies;
        }
    }
    // A progress call before the next line.
    void mark(std::int32_t index) {
        if (block_->marks.size() >= kMarksPerBlock) next();
        block_->marks.push_back(index);
    }
    // Hands over the last block, with the failure that ends the search if there is one.
    void finish(std::exception_ptr error = nullptr) {
        block_->used = static_cast<std::size_t>(cur_ - block_->data);
        block_->last = true;
        block_->error = std::move(error);
        sink_.handOverLast(*block_);
    }

  private:
    void putLong(const char* line, std::size_t size) {
        while (size > 0) {
            if (cur_ == end_) next();
            const std::size_t part = std::min(size, static_cast<std::size_t>(end_ - cur_));
            std::memcpy(cur_, line, part);
            cur_ += part;
            line += part;
            size -= part;
        }
    }
    void next() {
        block_->used = static_cast<std::size_t>(cur_ - block_->data);
        block_->last = false;
        block_ = &sink_.handOver(*block_);
        start();
    }
    void start() {
        block_->used = 0;
        block_->marks.clear();
        block_->last = false;
        block_->error = nullptr;
        cur_ = block_->data;
        end_ = cur_ + capacity_;
    }

    BlockSink& sink_;
    Block* block_;
    std::size_t capacity_;
    char* cur_ = nullptr;
    char* end_ = nullptr;
};

}  // namespace splitword::search
