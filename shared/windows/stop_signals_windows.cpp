// Stopping a run on Windows: Ctrl+C and Ctrl+Break in the console, and the console closing, do
// what SIGINT and SIGHUP do on Linux. The handler, which Windows calls on a thread of its own,
// only notes the first of them; the jobs see the note at their progress points. A second one
// goes on to Windows' own handler, which ends the process at once.
#include <windows.h>

#include <atomic>
#include <cstdio>

#include "stop_signals.h"

namespace rt {
namespace {

// The numbers of the signals they stand for on Linux.
constexpr int kInterrupt = 2;   // SIGINT
constexpr int kHangUp = 1;      // SIGHUP
constexpr int kTerminate = 15;  // SIGTERM
// How a process ended by Ctrl+C ends on Windows.
constexpr UINT kControlCExit = 0xC000013A;  // STATUS_CONTROL_C_EXIT

std::atomic<int> stopSignal{0};
std::atomic<int> endAtOnce{0};  // EndAtOnceOnStop objects alive

BOOL WINAPI OnConsoleEvent(DWORD event) {
    int signal = kTerminate;
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) signal = kInterrupt;
    if (event == CTRL_CLOSE_EVENT) signal = kHangUp;
    int none = 0;
    // A second one, or one while the program waits for its user: Windows ends the process.
    if (!stopSignal.compare_exchange_strong(none, signal) || endAtOnce.load() > 0) return FALSE;
    if (signal != kInterrupt) {
        // The console goes away, or the user logs off: Windows ends the process once this
        // returns, so the run is given the time Windows allows (5 seconds) to stop at its next
        // progress point and end on its own.
        ::Sleep(INFINITE);
    }
    return TRUE;
}

}  // namespace

void CatchStopSignals() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

int StopSignal() noexcept {
    return stopSignal.load(std::memory_order_relaxed);
}

void ThrowIfStopRequested() {
    if (StopRequested()) throw RunStopped{};
}

int StopSignalDescriptor() noexcept {
    return -1;
}

void EndIfStopRequested() {
    if (StopSignal() == 0) return;
    std::fflush(nullptr);
    ::ExitProcess(kControlCExit);
}

EndAtOnceOnStop::EndAtOnceOnStop() {
    endAtOnce.fetch_add(1);
    EndIfStopRequested();
}

EndAtOnceOnStop::~EndAtOnceOnStop() {
    endAtOnce.fetch_sub(1);
}

}  // namespace rt
