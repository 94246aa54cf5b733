#pragma once
// A barrier for threads that work in steps: std::barrier<> where the standard library's waiting
// is sound. MinGW's GCC 12 builds std::barrier on a fallback of atomic waits that can miss a
// wake-up and leave every thread waiting, so on Windows it is a mutex and a condition variable.

#if defined(_WIN32)
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#else
#include <barrier>
#endif

namespace rt {

#if defined(_WIN32)
class StepBarrier {
  public:
    explicit StepBarrier(std::ptrdiff_t expected) : expected_(expected), left_(expected) {}
    StepBarrier(const StepBarrier&) = delete;
    StepBarrier& operator=(const StepBarrier&) = delete;

    void arrive_and_wait() {
        std::unique_lock lock(mutex_);
        const std::uint64_t phase = phase_;
        if (--left_ == 0) {
            complete();
            return;
        }
        wake_.wait(lock, [&] { return phase_ != phase; });
    }

    // Arrives, and is expected no more in later steps.
    void arrive_and_drop() {
        const std::lock_guard lock(mutex_);
        --expected_;
        if (--left_ == 0) complete();
    }

  private:
    void complete() {
        left_ = expected_;
        ++phase_;
        wake_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::ptrdiff_t expected_;
    std::ptrdiff_t left_;
    std::uint64_t phase_ = 0;
};
#else
using StepBarrier = std::barrier<>;
#endif

}  // namespace rt
