#include "progress.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <mutex>

namespace cli {

namespace {

// "120 MiB/s" (powers of 1024, as every size), "12.3k words/s": three figures at most.
std::string RateText(double rate, bool bytes) {
    static constexpr const char* kPrefixes[] = {"", "k", "M", "G", "T"};
    static constexpr const char* kBinary[] = {"", "Ki", "Mi", "Gi", "Ti"};
    const double step = bytes ? 1024 : 1000;
    std::size_t prefix = 0;
    while (rate >= 999.5 && prefix + 1 < std::size(kPrefixes)) {
        rate /= step;
        ++prefix;
    }
    char figures[32];
    std::snprintf(figures, sizeof figures, rate < 9.95 && prefix > 0 ? "%.1f" : "%.0f", rate);
    return bytes ? std::string(figures) + " " + kBinary[prefix] + "B/s"
                 : std::string(figures) + kPrefixes[prefix] + " words/s";
}

std::string TimeText(double seconds) {
    const auto whole = static_cast<long long>(std::llround(seconds));
    char text[32];
    if (whole >= 3600) {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60,
                      whole % 60);
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
    }
    return text;
}

}  // namespace

std::string ProgressText(std::string_view command, const Reading& reading, double ratePerSecond,
                         double secondsLeft) {
    const double share = reading.total > 0 ? std::clamp(reading.done / reading.total, 0.0, 1.0) : 0;
    char percent[16];
    std::snprintf(percent, sizeof percent, "%3d%%", static_cast<int>(share * 100));
    std::string text = std::string(command) + ": " + reading.step + "  " + percent;
    if (ratePerSecond > 0) text += "  " + RateText(ratePerSecond, reading.bytes);
    text += "  " + (secondsLeft >= 0 ? TimeText(secondsLeft) : std::string("-:--")) + " left";
    return text;
}

#if defined(_WIN32)
bool ProgressLine::Wanted(bool quiet) {
    DWORD mode = 0;  // a console, not merely a character device (NUL)
    return !quiet && ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode);
}
#else
bool ProgressLine::Wanted(bool quiet) {
    return !quiet && ::isatty(STDERR_FILENO) == 1;
}
#endif

ProgressLine::ProgressLine(bool shown, std::FILE* out, std::string command,
                           std::function<Reading()> sample, std::chrono::milliseconds delay)
    : out_(out), command_(std::move(command)), sample_(std::move(sample)), delay_(delay) {
    if (shown) thread_ = std::jthread([this](std::stop_token stop) { watch(stop); });
}

ProgressLine::~ProgressLine() {
    if (thread_.joinable()) {
        thread_.request_stop();
        thread_.join();
    }
    if (drawn_) {
        std::fputs("\r\033[K", out_);
        std::fflush(out_);
    }
}

void ProgressLine::watch(std::stop_token stop) {
    std::mutex mutex;
    std::condition_variable_any wake;
    const auto start = Clock::now();
    std::string step;
    Clock::time_point stepStart = start;
    double stepDone = 0;

    std::unique_lock lock(mutex);
    for (;;) {
        // Returns at once, and for good, once the run is over.
        wake.wait_for(lock, stop, kInterval, [] { return false; });
        if (stop.stop_requested()) return;
        const Reading reading = sample_();
        const auto now = Clock::now();
        if (reading.step != step) {
            step = reading.step;
            stepStart = now;
            stepDone = reading.done;
        }
        if (now - start < delay_ || reading.total <= 0) continue;
        const double seconds = std::chrono::duration<double>(now - stepStart).count();
        const double rate = seconds > 0.2 ? (reading.done - stepDone) / seconds : 0;
        const double left = rate > 0 ? std::max(reading.total - reading.done, 0.0) / rate : -1;
        std::fputs(("\r" + ProgressText(command_, reading, rate, left) + "\033[K").c_str(), out_);
        std::fflush(out_);
        drawn_ = true;
    }
}

}  // namespace cli
