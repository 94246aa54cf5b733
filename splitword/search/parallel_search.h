#pragma once
// Running the search: on the calling thread, or on threads of their own with a pool of blocks.
// A part of the search (splitword/search/), which splitword_job.cpp alone
// uses.

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "block_output.h"
#include "hashing.h"
#include "large_pages.h"
#include "output_size.h"
#include "run_progress.h"
#include "searcher.h"
#include "step_barrier.h"
#include "word_index.h"

namespace splitword::search {

// The search on the calling thread: the index is built first (before any file is written), then
// the search's blocks go straight to out.txt.
class DirectSearch final : public BlockSink {
  public:
    DirectSearch(const WordList& words, std::size_t blockBytes, std::uint64_t hashSeed)
        : words_(words),
          hashing_(hashSeed),
          index_(words, hashing_),
          memory_(blockBytes),
          block_(memory_.data()),
          blockBytes_(blockBytes) {
        const std::atomic<bool> never{false};
        index_.hashWords(0, 1, never);
        for (unsigned half = 0; half < WordIndex::kHalves; ++half) index_.buildHalf(half, never);
        index_.built();
    }

    const WordIndex& index() const noexcept { return index_; }

    std::int64_t writeFinds(FindWriter& writer) {
        writer_ = &writer;
        const std::atomic<bool> never{false};
        Searcher searcher(words_, index_);
        LineOutput output(*this, block_, blockBytes_);
        const std::int64_t finds = searcher.search(1, words_.count(), output, never);
        output.finish();
        return finds;
    }

    Block& handOver(Block& full) override {
        writer_->write(full);
        return full;
    }
    void handOverLast(Block& full) override { writer_->write(full); }

  private:
    const WordList& words_;
    const Hashing hashing_;
    WordIndex index_;
    rt::LargeArray<char> memory_;
    Block block_;
    std::size_t blockBytes_;
    FindWriter* writer_ = nullptr;
};

// The search on threads of its own, which begin at once (building the index while the calling
// thread writes Debug.txt). The words are cut into segments that the threads take in turn;
// each segment's lines come in blocks from a common pool, and the calling thread writes the
// blocks segment after segment. A thread whose segment is not the next to be written leaves a
// block in the pool for the one whose segment is, so that the writing always goes on.
class ParallelSearch {
  public:
    ParallelSearch(const WordList& words, const Tuning& tuning, std::size_t blockBytes)
        : words_(words),
          index_(words, Hashing(tuning.hashSeed)),
          threads_(std::max(1u, tuning.searchThreads)),
          segmentWords_(std::max<std::int32_t>(tuning.segmentWords, 1)),
          segments_(words.count() == 0 ? 0 : (words.count() - 1) / segmentWords_ + 1),
          blockBytes_(blockBytes),
          pool_(threads_ + 2 + kSpare),
          memory_(pool_ * blockBytes),
          ready_(static_cast<std::ptrdiff_t>(threads_)) {
        blocks_.reserve(pool_);
        for (std::size_t b = 0; b < pool_; ++b) {
            blocks_.push_back(std::make_unique<Block>(memory_.data() + b * blockBytes));
            free_.push_back(blocks_.back().get());
        }
        full_.reserve(pool_);
        workers_.reserve(threads_);
        try {
            for (unsigned t = 0; t < threads_; ++t) workers_.emplace_back([this, t] { work(t); });
        } catch (...) {
            // The threads that did start stop at the index without waiting for the others.
            {
                std::lock_guard lock(mutex_);
                stopping_ = true;
                cancelled_.store(true, std::memory_order_relaxed);
            }
            for (std::size_t t = workers_.size(); t < threads_; ++t) ready_.arrive_and_drop();
            stop();
            throw;
        }
    }
    ~ParallelSearch() { stop(); }
    ParallelSearch(const ParallelSearch&) = delete;
    ParallelSearch& operator=(const ParallelSearch&) = delete;

    // The index, once the threads have built it (they go on searching meanwhile); what failed
    // them while they built it is thrown here.
    const WordIndex& index() {
        std::unique_lock lock(mutex_);
        writerWait_.wait(lock, [&] { return indexBuilt_ || indexError_ != nullptr; });
        if (indexError_) {
            const std::exception_ptr error = indexError_;
            lock.unlock();
            stop();
            std::rethrow_exception(error);
        }
        return index_;
    }

    // Takes the blocks in order as they come without writing them, making their progress calls
    // and keeping a copy of their lines; until every segment is searched, or the search failed,
    // or more than `limit` bytes are held, when the threads go on until the pool is empty.
    // True when the lines held are all the search will find (the search may have failed).
    bool holdFinds(std::size_t limit, rt::RunEvents& progress) {
        std::unique_lock lock(mutex_);
        while (oldest_ < segments_ && held_.size() <= limit) {
            writerWait_.wait(lock, [&] { return indexError_ || fullOf(oldest_) != full_.end(); });
            if (indexError_) return true;
            const auto at = fullOf(oldest_);
            Block* block = *at;
            full_.erase(at);
            lock.unlock();
            for (const std::int32_t index : block->marks)
                progress.progress(static_cast<std::uint64_t>(index),
                                  static_cast<std::uint64_t>(words_.count()));
            held_.append(block->data, block->used);
            heldLines_ +=
                static_cast<BigCount>(std::count(block->data, block->data + block->used, '\n'));
            lock.lock();
            if (block->error) {
                heldError_ = block->error;
                return true;
            }
            if (block->last) ++oldest_;
            free_.push_back(block);
            searchersWait_.notify_all();
        }
        return oldest_ == segments_;
    }
    // The lines and bytes held.
    OutputSize held() const { return OutputSize{heldLines_, held_.size()}; }

    // Writes the finds in order as they come, those held first; returns their number.
    std::int64_t writeFinds(FindWriter& writer) {
        if (!held_.empty()) writer.print(held_);
        std::string().swap(held_);
        if (heldError_) {
            stop();
            std::rethrow_exception(heldError_);
        }
        std::unique_lock lock(mutex_);
        while (oldest_ < segments_ && !indexError_) {
            writerWait_.wait(lock, [&] { return indexError_ || fullOf(oldest_) != full_.end(); });
            if (indexError_) break;
            const auto at = fullOf(oldest_);
            Block* block = *at;
            full_.erase(at);
            lock.unlock();
            writer.write(*block);
            lock.lock();
            if (block->error) {
                error_ = block->error;
                break;
            }
            if (block->last) ++oldest_;
            free_.push_back(block);
            searchersWait_.notify_all();
        }
        if (indexError_) error_ = indexError_;
        lock.unlock();
        stop();
        if (error_) std::rethrow_exception(error_);
        return finds_;
    }

  private:
    // Blocks beyond one for each thread and two for the writer: how far a thread may run ahead.
    static constexpr std::size_t kSpare = 4;

    // One hand-over of one segment.
    class Sink final : public BlockSink {
      public:
        Sink(ParallelSearch& search, std::int32_t segment) : search_(search), segment_(segment) {}
        Block& handOver(Block& full) override {
            search_.handOver(full);
            return search_.take(segment_);
        }
        void handOverLast(Block& full) override { search_.handOver(full); }

      private:
        ParallelSearch& search_;
        std::int32_t segment_;
    };

    void work(unsigned thread) {
        try {
            // The index: each thread hashes its share of the words, then builds its halves.
            index_.hashWords(thread, threads_, cancelled_);
            arrive();
            for (unsigned half = thread; half < WordIndex::kHalves; half += threads_)
                index_.buildHalf(half, cancelled_);
            arrive();
            if (thread == 0) {
                index_.built();
                {
                    std::lock_guard lock(mutex_);
                    indexBuilt_ = true;
                }
                writerWait_.notify_one();
            }
        } catch (const Cancelled&) {
            ready_.arrive_and_drop();
            return;
        } catch (...) {
            {
                std::lock_guard lock(mutex_);
                if (!indexError_) indexError_ = std::current_exception();
                cancelled_.store(true, std::memory_order_relaxed);
            }
            writerWait_.notify_one();
            ready_.arrive_and_drop();
            return;
        }

        Searcher searcher(words_, index_);
        std::int64_t finds = 0;
        try {
            for (;;) {
                std::int32_t segment = 0;
                {
                    std::lock_guard lock(mutex_);
                    if (stopping_ || next_ == segments_) break;
                    segment = next_++;
                }
                Sink sink(*this, segment);
                LineOutput output(sink, take(segment), blockBytes_);
                const std::int64_t first = std::int64_t{segment} * segmentWords_ + 1;
                const std::int64_t last =
                    std::min<std::int64_t>(words_.count(), first + segmentWords_ - 1);
                try {
                    finds += searcher.search(static_cast<std::int32_t>(first),
                                             static_cast<std::int32_t>(last), output, cancelled_);
                } catch (const Cancelled&) {
                    throw;
                } catch (...) {
                    // The lines before the failure are written, then the run stops.
                    output.finish(std::current_exception());
                    break;
                }
                output.finish();
            }
        } catch (const Cancelled&) {
        }
        std::lock_guard lock(mutex_);
        finds_ += finds;
    }

    // Waits for the other threads at the end of a step of building; throws Cancelled when one
    // of them failed or the run stops.
    void arrive() {
        ready_.arrive_and_wait();
        if (cancelled_.load(std::memory_order_relaxed)) throw Cancelled{};
    }

    // A free block for a line of `segment`.
    Block& take(std::int32_t segment) {
        std::unique_lock lock(mutex_);
        searchersWait_.wait(lock, [&] {
            return stopping_ || (!free_.empty() && (segment == oldest_ || free_.size() > 1));
        });
        if (stopping_) throw Cancelled{};
        Block* block = free_.back();
        free_.pop_back();
        block->segment = segment;
        return *block;
    }

    void handOver(Block& full) {
        {
            std::lock_guard lock(mutex_);
            full_.push_back(&full);
        }
        writerWait_.notify_one();
    }

    // The first block handed over of `segment`.
    std::vector<Block*>::iterator fullOf(std::int32_t segment) {
        return std::find_if(full_.begin(), full_.end(),
                            [&](const Block* block) { return block->segment == segment; });
    }

    void stop() noexcept {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
            cancelled_.store(true, std::memory_order_relaxed);
        }
        searchersWait_.notify_all();
        for (std::thread& worker : workers_) {
            if (worker.joinable()) worker.join();
        }
    }

    const WordList& words_;
    WordIndex index_;
    const unsigned threads_;
    const std::int32_t segmentWords_;
    const std::int32_t segments_;
    const std::size_t blockBytes_;
    const std::size_t pool_;
    rt::LargeArray<char> memory_;
    std::vector<std::unique_ptr<Block>> blocks_;

    std::mutex mutex_;
    std::condition_variable searchersWait_;
    std::condition_variable writerWait_;
    rt::StepBarrier ready_;
    std::atomic<bool> cancelled_{false};
    std::vector<Block*> free_;
    std::vector<Block*> full_;  // in the order handed over
    std::int32_t next_ = 0;     // the next segment to search
    std::int32_t oldest_ = 0;   // the segment being written
    bool stopping_ = false;
    bool indexBuilt_ = false;
    std::int64_t finds_ = 0;
    std::exception_ptr indexError_;
    std::exception_ptr error_;
    // The lines of the blocks taken before out.txt is opened, and the failure that ended them.
    std::string held_;
    BigCount heldLines_ = 0;
    std::exception_ptr heldError_;
    std::vector<std::thread> workers_;
};

}  // namespace splitword::search
