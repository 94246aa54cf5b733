#pragma once
// SIGINT, SIGTERM and SIGHUP stop a run as closing its window does. The handler does no work: it
// notes the first signal, wakes an event loop through a pipe, and gives the three signals back
// their default action, so that a second one ends the process at once. The jobs look at the note
// at their progress points, where their outputs hold whole lines, and throw RunStopped; once the
// run has unwound and its files are closed, the program ends as the signal would have ended it.

namespace rt {

// Thrown out of a run, at a point where its outputs hold whole lines, when a stop was asked for.
// (The windows throw it too when they are closed during a run.)
struct RunStopped {};

// Installs the handlers, once. A signal the process was started with ignored stays ignored (as
// under nohup, or for a job started in the background by a shell without job control).
void CatchStopSignals();

// The signal that asked for a stop, 0 while none has.
int StopSignal() noexcept;
inline bool StopRequested() noexcept {
    return StopSignal() != 0;
}

// Throws RunStopped when a stop was asked for.
void ThrowIfStopRequested();

// A descriptor that becomes readable when a stop is asked for, for an event loop to watch (read
// it empty when woken); -1 before CatchStopSignals, or where no pipe could be had.
int StopSignalDescriptor() noexcept;

// Ends the process as the signal that asked for a stop would have ended it, its default action
// raised again (a shell then shows 128 + its number: 130 for SIGINT, 143 for SIGTERM, 129 for
// SIGHUP, and a shell loop stops as for any command ended by Ctrl+C). Standard streams are
// flushed first. Returns when no stop was asked for.
void EndIfStopRequested();

// While one exists the program waits for its user with nothing half written (a question on the
// terminal, a message box): a stop signal then ends the process at once, and so does making one
// after a stop was asked for.
class EndAtOnceOnStop {
  public:
    EndAtOnceOnStop();
    ~EndAtOnceOnStop();
    EndAtOnceOnStop(const EndAtOnceOnStop&) = delete;
    EndAtOnceOnStop& operator=(const EndAtOnceOnStop&) = delete;
};

}  // namespace rt
