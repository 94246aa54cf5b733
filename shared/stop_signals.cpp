#include "stop_signals.h"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>

namespace rt {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kCount = sizeof kSignals / sizeof kSignals[0];

// Only lock-free atomics and plain values written before the handlers are installed are touched
// in the handler.
std::atomic<int> stopSignal{0};
std::atomic<int> endAtOnce{0};  // EndAtOnceOnStop objects alive
static_assert(std::atomic<int>::is_always_lock_free);
bool caught[kCount] = {};
int wakeRead = -1;
int wakeWrite = -1;

void SetDefault(int signal) {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
}

extern "C" void OnStopSignal(int signal) {
    const int savedErrno = errno;
    int none = 0;
    stopSignal.compare_exchange_strong(none, signal);
    // A second signal is not caught: it ends the process at once.
    for (int i = 0; i < kCount; ++i)
        if (caught[i]) SetDefault(kSignals[i]);
    if (endAtOnce.load() > 0) {
        // The signal is blocked while its handler runs: raised again, it ends the process as
        // soon as the handler returns.
        ::raise(signal);
    } else if (wakeWrite >= 0) {
        const char byte = 0;
        [[maybe_unused]] const ssize_t put = ::write(wakeWrite, &byte, 1);
    }
    errno = savedErrno;
}

}  // namespace

void CatchStopSignals() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0) {
        wakeRead = ends[0];
        wakeWrite = ends[1];
    }
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    // Interrupted system calls go on: the stop is noticed at the next progress point.
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const int signal : kSignals) sigaddset(&action.sa_mask, signal);
    for (int i = 0; i < kCount; ++i) {
        struct sigaction before {};
        if (::sigaction(kSignals[i], nullptr, &before) != 0 || before.sa_handler == SIG_IGN)
            continue;
        caught[i] = true;
    }
    for (int i = 0; i < kCount; ++i)
        if (caught[i]) ::sigaction(kSignals[i], &action, nullptr);
}

int StopSignal() noexcept {
    return stopSignal.load(std::memory_order_relaxed);
}

void ThrowIfStopRequested() {
    if (StopRequested()) throw RunStopped{};
}

int StopSignalDescriptor() noexcept {
    return wakeRead;
}

void EndIfStopRequested() {
    const int signal = StopSignal();
    if (signal == 0) return;
    std::fflush(nullptr);
    SetDefault(signal);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(signal);
    // Not reached where the default action ends the process, as it does for these three.
    ::_exit(128 + signal);
}

EndAtOnceOnStop::EndAtOnceOnStop() {
    endAtOnce.fetch_add(1);
    EndIfStopRequested();
}

EndAtOnceOnStop::~EndAtOnceOnStop() {
    endAtOnce.fetch_sub(1);
}

}  // namespace rt
