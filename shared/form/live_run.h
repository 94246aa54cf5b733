#pragma once
// A run happens inside a click, on the window's thread. A LiveRun keeps the window alive while
// it lasts: called often from the run, it lets the window paint and answer the desktop at most
// ten times a second (the controls take no input), shows how far the run is on a button, and
// turns a request to close the window, or a stop signal, into rt::RunStopped, thrown out of the
// run at a point where the outputs hold whole lines.

#include <chrono>
#include <string>
#include <string_view>

#include "form/view.h"
#include "platform.h"
#include "stop_signals.h"

namespace form {

class LiveRun {
  public:
    // `button` (empty for none) shows the progress captions, and its own caption again once the
    // LiveRun is gone.
    LiveRun(View& view, std::string_view button);
    ~LiveRun();
    LiveRun(const LiveRun&) = delete;
    LiveRun& operator=(const LiveRun&) = delete;

    // Cheap unless a tenth of a second has passed since the window was last served. `caption`
    // is called then for the button's caption (an empty one leaves the caption as it is).
    template <class Caption>
    void pulse(Caption&& caption) {
        const auto now = std::chrono::steady_clock::now();
        if (now < next_) return;
        serve(now, caption());
    }
    void pulse() {
        pulse([] { return std::string(); });
    }

    // Whether a run is going on (a LiveRun exists).
    static bool Active() noexcept;
    // Tests serve the window at every call, so that what a long run meets happens in a short one.
    static void setIntervals(std::chrono::milliseconds first, std::chrono::milliseconds every);

  private:
    void serve(std::chrono::steady_clock::time_point now, const std::string& caption);

    View& view_;
    std::string button_;
    std::string caption_;  // the button's own caption, shown again when the run leaves
    std::string shown_;    // the last progress caption shown
    std::chrono::steady_clock::time_point next_;
};

// A click on a window's Go button. The first click runs `run` with `alreadyClicked` set; `run`
// clears it again where nothing was written, so that the next click is a new run. Once set, the
// next click ends the program. A run stopped by closing the window (rt::RunStopped) ends the
// program too, its outputs holding whole lines.
template <class Run>
void GoClick(bool& alreadyClicked, rt::Platform& platform, Run&& run) {
    if (alreadyClicked) {
        platform.endProgram();
        return;
    }
    alreadyClicked = true;
    try {
        run();
    } catch (const rt::RunStopped&) {
        platform.endProgram();
    }
}

// "Writing... 41 %": `done` of `total`, in whole percent (0 when the total is 0).
std::string ProgressCaption(std::string_view doing, double done, double total);

}  // namespace form
