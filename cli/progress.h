#pragma once
// The progress line: on a terminal, for a run longer than about a second, one line of standard
// error updated in place with the share done, the rate and the time left, erased when the run
// ends. The jobs are not slowed for it: their progress calls only note how far the run has got
// (bytes of Data.txt counted, bytes of out.txt written, words searched), and a second thread looks
// at the note a few times a second.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

namespace cli {

// How far a run has got in its present step.
struct Reading {
    std::string step;  // "reading Data.txt"; a new step starts the rate afresh
    double done = 0;
    double total = 0;   // 0: nothing to show
    bool bytes = true;  // else words
};

// The text of the line: "binning: reading Data.txt  45%  120 MiB/s  0:07 left". A negative
// `secondsLeft` is not known yet.
std::string ProgressText(std::string_view command, const Reading& reading, double ratePerSecond,
                         double secondsLeft);

class ProgressLine {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kDelay{1000};
    static constexpr std::chrono::milliseconds kInterval{250};

    // Starts looking at `sample` when `shown`, else does nothing at all. The line shows once
    // `delay` has passed.
    ProgressLine(bool shown, std::FILE* out, std::string command, std::function<Reading()> sample,
                 std::chrono::milliseconds delay = kDelay);
    // Stops and erases the line.
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // Whether a progress line is wanted: standard error is a terminal and --quiet was not given.
    static bool Wanted(bool quiet);

  private:
    void watch(std::stop_token stop);

    std::FILE* out_;
    std::string command_;
    std::function<Reading()> sample_;
    std::chrono::milliseconds delay_;
    bool drawn_ = false;
    std::jthread thread_;
};

}  // namespace cli
