#include "commands.h"

#include <unistd.h>

#include <atomic>
#include <cmath>
#include <filesystem>
#include <functional>
#include <new>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "binning_job.h"
#include "chainmaker_job.h"
#include "files.h"
#include "numbers.h"
#include "output_size.h"
#include "platform.h"
#include "progress.h"
#include "runtime_error.h"
#include "splitword_job.h"
#include "stop_signals.h"

namespace cli {

namespace {

namespace fs = std::filesystem;

// The desktop of a run without a window: every box is kept to be written to standard error once
// the run is over, and answered Cancel, so that a run offered a retry ends instead.
class BoxesToStderr : public rt::Platform {
  public:
    rt::Answer messageBox(std::string_view text, rt::Buttons, std::string_view) override {
        boxes.emplace_back(text);
        return rt::Answer::Cancel;
    }
    void endProgram() override {}

    std::vector<std::string> boxes;
};

// The size of an ordinary file, 0 for anything else; nothing is opened.
double FileSize(const fs::path& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return 0;
    const auto size = fs::file_size(path, ec);
    return ec ? 0 : static_cast<double>(size);
}

// How much of `file` the process has read since `start` bytes had been read (nothing to show
// where the system does not count them).
Reading ReadingOf(const fs::path& file, std::uint64_t start) {
    Reading reading;
    reading.step = "reading " + file.filename().string();
    const auto now = BytesReadSoFar();
    if (!now || *now < start) return reading;
    reading.done = static_cast<double>(*now - start);
    reading.total = FileSize(file);
    return reading;
}

// Whether a large run goes ahead: --yes says so; without it the question is asked on the
// terminal, and a run where there is none to ask fails. `question(answers)` is the question's
// text ending in `answers`.
bool LargeAccepted(const std::function<std::string(std::string_view answers)>& question, bool yes,
                   BoxesToStderr& platform) {
    if (yes) return true;
    if (!::isatty(STDIN_FILENO) || !::isatty(STDERR_FILENO)) {
        platform.messageBox(question("Give --yes to write them."), rt::Buttons::Ok, {});
        return false;
    }
    const rt::EndAtOnceOnStop waiting;  // Ctrl+C at the question ends at once: nothing is written
    std::fputs(question("Write them? [y/N] ").c_str(), stderr);
    std::fflush(stderr);
    char answer[16] = {};
    if (!std::fgets(answer, sizeof answer, stdin)) return false;
    return answer[0] == 'y' || answer[0] == 'Y';
}

int RunBinning(const Request& request, BoxesToStderr& platform, bool progress) {
    const fs::path data = rt::ResolveName(request.folder, "Data.txt");
    const std::uint64_t start = BytesReadSoFar().value_or(0);
    const ProgressLine line(progress, stderr, "binning", [&] { return ReadingOf(data, start); });
    binning::BoxFailureHandler failures(platform);
    binning::RunSettings settings;
    settings.clickGoAgain = false;
    settings.largeAccepted = [&](const binning::ResultsSize& size,
                                 std::optional<std::uint64_t> room) {
        return LargeAccepted(
            [&](std::string_view answers) { return binning::LargeMessage(size, room, answers); },
            request.yes, platform);
    };
    try {
        if (binning::Run(request.folder, request.mode, platform, failures, settings) !=
            binning::Outcome::Completed)
            return kFailed;
    } catch (const binning::RunEnded&) {
        return kFailed;
    }
    return kCompleted;
}

// Whether a run of that size may be written: one its disk cannot hold never is; a large one is
// asked about as LargeAccepted asks.
bool SizeAccepted(const chainmaker::OutputSize& size, const fs::path& outPath, bool bounded,
                  bool yes, BoxesToStderr& platform) {
    const auto room = chainmaker::RoomForOutput(outPath);
    switch (chainmaker::JudgeSize(size, room)) {
        case chainmaker::SizeVerdict::Fits: return true;
        case chainmaker::SizeVerdict::TooLarge:
            platform.messageBox(
                chainmaker::TooLargeMessage(
                    size, *room, bounded, "Choose fewer blocks, or put fewer strings into in.txt."),
                rt::Buttons::Ok, {});
            return false;
        case chainmaker::SizeVerdict::Large: break;
    }
    return LargeAccepted(
        [&](std::string_view answers) {
            return chainmaker::LargeMessage(size, room, bounded, answers);
        },
        yes, platform);
}

// What the command line adds to Chainmaker's run: the step for the progress line, the message
// about exclude.txt, and the size check with its question.
class ChainmakerHooks : public chainmaker::RunHooks {
  public:
    enum Step { kReadingInput, kReadingExclude, kWriting };

    ChainmakerHooks(const Request& request, BoxesToStderr& platform)
        : request_(request), platform_(platform) {}

    void readingExclude() override {
        start = BytesReadSoFar().value_or(0);
        step = kReadingExclude;
    }
    bool excludeUnreadable() override {
        platform_.messageBox(chainmaker::kExcludeMissingMessage, rt::Buttons::Ok, {});
        return true;
    }
    bool sizeAccepted(const chainmaker::OutputSize& size, const fs::path& outPath,
                      bool bounded) override {
        return SizeAccepted(size, outPath, bounded, request_.yes, platform_);
    }
    void writing(chainmaker::BigCount expected) override {
        outputBytes = static_cast<double>(expected);
        step = kWriting;
    }

    // Read by the progress line's thread.
    std::atomic<int> step{kReadingInput};
    std::atomic<double> outputBytes{0};
    std::atomic<std::uint64_t> start{BytesReadSoFar().value_or(0)};

  private:
    const Request& request_;
    BoxesToStderr& platform_;
};

int RunChainmaker(const Request& request, BoxesToStderr& platform, bool progress) {
    const fs::path inPath = rt::ResolveName(request.folder, chainmaker::kInputName);
    const fs::path excludePath = rt::ResolveName(request.folder, chainmaker::kExcludeName);
    const fs::path outPath = rt::ResolveName(request.folder, chainmaker::kOutputName);
    ChainmakerHooks hooks(request, platform);
    const ProgressLine line(progress, stderr, "chainmaker", [&]() -> Reading {
        switch (hooks.step.load()) {
            case ChainmakerHooks::kReadingInput: return ReadingOf(inPath, hooks.start);
            case ChainmakerHooks::kReadingExclude: return ReadingOf(excludePath, hooks.start);
            default:
                return Reading{"writing out.txt", FileSize(outPath), hooks.outputBytes.load(),
                               true};
        }
    });
    rt::RunReportingUnhandledErrors(
        platform, [&] { chainmaker::Run(request.folder, request.chainmaker, &hooks); });
    return platform.boxes.empty() ? kCompleted : kFailed;
}

// Counts the words searched, for the progress line; checks the size of out.txt as
// SizeAccepted does for Chainmaker.
class WordsSearched : public splitword::Progress {
  public:
    WordsSearched(const Request& request, BoxesToStderr& platform)
        : request_(request), platform_(platform) {}

    void workingOn(std::int32_t index, std::int32_t count) override {
        count_ = count;
        index_ = index;
    }
    std::optional<std::uint64_t> roomFor(const fs::path& outPath) override {
        return rt::RoomForOutput(outPath);
    }
    void tooLarge(const splitword::OutputSize& size, std::uint64_t room) override {
        platform_.messageBox(
            splitword::TooLargeMessage(size, room,
                                       "Put fewer words into in.txt (each repeat of a word repeats "
                                       "its lines), or raise the threshold."),
            rt::Buttons::Ok, {});
    }
    bool largeAccepted(const splitword::OutputSize& size,
                       std::optional<std::uint64_t> room) override {
        return LargeAccepted(
            [&](std::string_view answers) { return splitword::LargeMessage(size, room, answers); },
            request_.yes, platform_);
    }
    std::int32_t index() const { return index_; }
    std::int32_t count() const { return count_; }

  private:
    const Request& request_;
    BoxesToStderr& platform_;
    std::atomic<std::int32_t> index_{0}, count_{0};
};

int RunSplitword(const Request& request, BoxesToStderr& platform, bool progress) {
    const fs::path inPath = rt::ResolveName(request.folder, "in.txt");
    const std::uint64_t start = BytesReadSoFar().value_or(0);
    WordsSearched words(request, platform);
    bool refused = false;  // a size refused on the terminal leaves no box
    const ProgressLine line(progress, stderr, "splitword", [&]() -> Reading {
        if (words.count() == 0) return ReadingOf(inPath, start);
        return Reading{"searching", static_cast<double>(words.index()),
                       static_cast<double>(words.count()), false};
    });
    rt::RunReportingUnhandledErrors(platform, [&] {
        // The box's text as the window shows it when the run starts, and its value.
        const std::string normalised = splitword::NormaliseThresholdText(request.threshold);
        if (splitword::Run(request.folder, rt::TextToNumber(normalised), words).sizeRefused)
            refused = true;
    });
    return platform.boxes.empty() && !refused ? kCompleted : kFailed;
}

}  // namespace

int Run(const Request& request, std::FILE* out, std::FILE* err) {
    switch (request.kind) {
        case Request::Kind::Help:
            std::fputs(HelpText(request.command).c_str(), out);
            return kCompleted;
        case Request::Kind::Version: std::fputs(VersionText().c_str(), out); return kCompleted;
        case Request::Kind::Misuse:
            std::fprintf(err, "%s\n", request.problem.c_str());
            return kMisuse;
        case Request::Kind::Run: break;
    }
    const bool progress = err == stderr && ProgressLine::Wanted(request.quiet);
    BoxesToStderr platform;
    int status = kFailed;
    try {
        switch (request.command) {
            case Command::Binning: status = RunBinning(request, platform, progress); break;
            case Command::Chainmaker: status = RunChainmaker(request, platform, progress); break;
            case Command::Splitword: status = RunSplitword(request, platform, progress); break;
            case Command::None: break;
        }
    } catch (const rt::RuntimeError& error) {
        platform.boxes.push_back(rt::UnhandledErrorText(error));
    } catch (const std::bad_alloc&) {
        platform.boxes.push_back(rt::UnhandledErrorText(rt::RuntimeError(rt::kOutOfMemory)));
    } catch (const std::exception& error) {
        platform.boxes.push_back(std::string("datatools: ") + error.what());
    }
    for (const std::string& box : platform.boxes) std::fprintf(err, "%s\n", box.c_str());
    return platform.boxes.empty() ? status : kFailed;
}

int Main(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    const int status = Run(Parse(args), out, err);
    if (std::fflush(out) != 0 && status == kCompleted) return kFailed;
    return status;
}

}  // namespace cli
