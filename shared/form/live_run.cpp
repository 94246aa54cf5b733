#include "form/live_run.h"

#include <algorithm>
#include <cmath>

namespace form {
namespace {

// A run that ends sooner shows nothing of this.
std::chrono::milliseconds firstServe{500};
std::chrono::milliseconds serveEvery{100};

int liveRuns = 0;  // LiveRun objects alive

}  // namespace

LiveRun::LiveRun(View& view, std::string_view button)
    : view_(view), button_(button), next_(std::chrono::steady_clock::now() + firstServe) {
    if (!button_.empty()) caption_ = view_.text(button_);
    view_.runStarting();
    ++liveRuns;
}

LiveRun::~LiveRun() {
    --liveRuns;
    view_.runEnded();
    if (!button_.empty() && !shown_.empty() && view_.text(button_) == shown_)
        view_.setText(button_, caption_);
}

void LiveRun::serve(std::chrono::steady_clock::time_point now, const std::string& caption) {
    next_ = now + serveEvery;
    if (!button_.empty() && !caption.empty() && view_.text(button_) != caption) {
        view_.setText(button_, caption);
        shown_ = caption;
    }
    const bool open = view_.serve();
    if (!open || rt::StopRequested()) throw rt::RunStopped{};
}

bool LiveRun::Active() noexcept {
    return liveRuns > 0;
}

void LiveRun::setIntervals(std::chrono::milliseconds first, std::chrono::milliseconds every) {
    firstServe = first;
    serveEvery = every;
}

std::string ProgressCaption(std::string_view doing, double done, double total) {
    const double share = total > 0 ? std::clamp(done / total, 0.0, 1.0) : 0.0;
    return std::string(doing) + ' ' + std::to_string(static_cast<int>(std::floor(share * 100))) +
           " %";
}

}  // namespace form
