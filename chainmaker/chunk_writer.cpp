#include "chunk_writer.h"

#include <cstring>
#include <system_error>
#include <utility>

namespace chainmaker {

ChunkWriter::ChunkWriter(rt::LineWriter& out, bool background)
    : out_(out), storage_(2 * kBuffer), chunk_(storage_.data()), background_(background) {}

ChunkWriter::~ChunkWriter() {
    stopThread();
    if (failed_ || failure_ || used_ == 0) return;
    try {
        out_.print(std::string_view(chunk_, used_));
    } catch (...) {
        // The run is failing already; what could not be written is lost either way.
    }
}

void ChunkWriter::writeLoop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stop_ || !job_.empty(); });
        if (job_.empty()) return;  // stopped and idle
        const std::string_view job = job_;
        lock.unlock();
        std::exception_ptr failure;
        try {
            out_.print(job);
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        job_ = {};
        if (failure && !failure_) failure_ = failure;
        changed_.notify_all();
    }
}

void ChunkWriter::waitIdle() {
    if (!thread_.joinable()) return;
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return job_.empty(); });
    if (failure_) {
        failed_ = true;
        std::rethrow_exception(std::exchange(failure_, nullptr));
    }
}

void ChunkWriter::handOver() {
    if (background_ && !thread_.joinable()) {
        try {
            thread_ = std::thread([this] { writeLoop(); });
        } catch (const std::system_error&) {
            background_ = false;  // no second thread to be had: write on this one
        }
    }
    if (!background_) {
        printNow(std::string_view(chunk_, std::exchange(used_, 0)));
        return;
    }
    waitIdle();
    {
        std::lock_guard lock(mutex_);
        job_ = std::string_view(chunk_, used_);
    }
    changed_.notify_all();
    chunk_ = chunk_ == storage_.data() ? storage_.data() + kBuffer : storage_.data();
    used_ = 0;
}

void ChunkWriter::append(std::string_view text) {
    if (text.size() <= room()) {
        if (!text.empty()) std::memcpy(cursor(), text.data(), text.size());
        advance(cursor() + text.size());
        return;
    }
    // Longer than the room: what is formed goes first, then the text directly.
    waitIdle();
    if (used_ > 0) printNow(std::string_view(chunk_, std::exchange(used_, 0)));
    printNow(text);
}

void ChunkWriter::printNow(std::string_view text) {
    try {
        out_.print(text);
    } catch (...) {
        failed_ = true;
        throw;
    }
}

void ChunkWriter::finish() {
    waitIdle();
    stopThread();
    if (used_ > 0) printNow(std::string_view(chunk_, std::exchange(used_, 0)));
}

void ChunkWriter::stopThread() noexcept {
    if (!thread_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

}  // namespace chainmaker
