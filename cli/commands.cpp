#include "commands.h"

#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <new>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "binning_job.h"
#include "bins.h"
#include "chainmaker_job.h"
#include "files.h"
#include "input_file.h"
#include "numbers.h"
#include "output_size.h"
#include "platform.h"
#include "progress.h"
#include "room.h"
#include "runtime_error.h"
#include "splitword_job.h"
#include "stop_signals.h"
#include "text.h"
#include "textfile.h"

namespace cli {

namespace {

namespace fs = std::filesystem;

// A sentence of a message, begun in lower case where it begins with an ordinary word ("This
// run", not "Results.txt is").
std::string LowerFirst(std::string text) {
    if (text.size() >= 2 && std::isupper(static_cast<unsigned char>(text[0])) &&
        std::islower(static_cast<unsigned char>(text[1]))) {
        const std::string_view word = std::string_view(text).substr(0, text.find_first_of(" ,;:"));
        if (word.find('.') == std::string_view::npos)
            text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    }
    return text;
}

}  // namespace

std::string OneLine(std::string_view text) {
    std::string line;
    std::size_t start = 0;
    for (;;) {
        // The next break: a line end, or the two blanks after a full stop.
        const std::size_t end = std::min(text.find('\n', start), text.find(".  ", start));
        std::string_view part =
            text.substr(start, end == std::string_view::npos ? text.npos : end - start);
        while (!part.empty() && part.front() == ' ') part.remove_prefix(1);
        while (!part.empty() && (part.back() == ' ' || part.back() == '.')) part.remove_suffix(1);
        if (!part.empty()) line += (line.empty() ? "" : "; ") + LowerFirst(std::string(part));
        if (end == std::string_view::npos) break;
        start = end + (text[end] == '\n' ? 1 : 3);
    }
    return line;
}

namespace {

// One folder's run: where its files are, how their names are shown (as the user named the
// folder), and its failures, one line each, written once the progress line is gone.
class FolderRun {
  public:
    FolderRun(const Request& request, fs::path folder, bool named, std::FILE* err,
              std::FILE* answers)
        : request(request),
          folder(std::move(folder)),
          named_(named),
          err_(err),
          answers_(answers) {}

    fs::path file(std::string_view name) const { return rt::ResolveName(folder, name); }

    // The name of a file of the folder as the user would write it: "words/in.txt", or "in.txt"
    // in the current directory when no folder was named.
    std::string shown(const fs::path& path) const {
        std::string text = path.string();
        if (!named_ && text.size() > 2 && text[0] == '.' &&
            (text[1] == '/' || text[1] == fs::path::preferred_separator))
            text.erase(0, 2);
        return text;
    }

    // "datatools: chainmaker: words/in.txt: "
    std::string prefix(const fs::path& where) const {
        return "datatools: " + std::string(CommandName(request.command)) + ": " + shown(where) +
               ": ";
    }

    void fail(const fs::path& where, std::string_view reason) {
        lines.push_back(prefix(where) + std::string(reason));
    }

    // A run-time error: the file it names (else `where`), its meaning and number, and the
    // advice it has, else what the system said; `more` is added at the end.
    void fail(const rt::RuntimeError& error, const fs::path& where, std::string_view more = {}) {
        fs::path named = where;
        std::string said = error.detail();
        const std::string ours = folder.string();
        if (const std::size_t colon = said.find(": ", ours.size());
            said.starts_with(ours) && colon != std::string::npos) {
            named = said.substr(0, colon);
            said.erase(0, colon + 2);
        }
        std::string reason =
            LowerFirst(error.meaning()) + " (error " + std::to_string(error.number()) + ")";
        if (!error.advice().empty()) {
            reason += "; " + error.advice();
        } else if (!said.empty() && error.number() != rt::kFileNotFound &&
                   error.number() != rt::kPathNotFound) {
            reason += "; " + LowerFirst(said);
        }
        fail(named, reason + std::string(more));
    }

    // Whether a large run goes ahead: --yes says so; without it the question is asked on the
    // terminal, and a run where there is none to ask fails. `question(answers)` is the question's
    // text ending in `answers`.
    bool largeAccepted(const fs::path& where,
                       const std::function<std::string(std::string_view answers)>& question) {
        if (request.yes) return true;
        if (answers_ == nullptr) {
            fail(where, OneLine(question("Give --yes to write them.")));
            return false;
        }
        // Ctrl+C at the question ends at once: nothing is written yet.
        const rt::EndAtOnceOnStop waiting;
        std::fputs((prefix(where) + OneLine(question("Write them?")) + " [y/N] ").c_str(), err_);
        std::fflush(err_);
        char answer[16] = {};
        declined =
            !std::fgets(answer, sizeof answer, answers_) || (answer[0] != 'y' && answer[0] != 'Y');
        return !declined;
    }

    // Runs `run`, taking what it throws as the run's failure at `where` (unless the error names
    // its own file).
    template <class Run>
    void reporting(const fs::path& where, Run&& run) {
        try {
            run();
        } catch (const rt::RuntimeError& error) {
            fail(error, where);
        } catch (const std::bad_alloc&) {
            fail(rt::RuntimeError(rt::kOutOfMemory), where);
        } catch (const std::length_error&) {
            fail(rt::RuntimeError(rt::kOutOfMemory), where);
        }
    }

    // The progress line's name for the run: the command, and the folder when one was named.
    std::string progressName() const {
        const std::string command(CommandName(request.command));
        return named_ ? command + ": " + folder.string() : command;
    }

    // A fact of a dry run, on standard output.
    void fact(std::FILE* out, const fs::path& where, std::string_view text) const {
        std::fprintf(out, "%s: %.*s\n", shown(where).c_str(), static_cast<int>(text.size()),
                     text.data());
    }

    int status() const { return lines.empty() && !declined ? kCompleted : kFailed; }

    const Request& request;
    const fs::path folder;
    std::vector<std::string> lines;
    bool declined = false;  // a large run was not wanted

  private:
    bool named_;
    std::FILE* err_;
    std::FILE* answers_;
};

// The facts of a dry run on the room of an output of `bytes`: the disk's free space for it and
// what a run would do.
void RoomFacts(FolderRun& run, std::FILE* out, const fs::path& output, rt::BigCount bytes,
               std::optional<std::uint64_t> room) {
    if (room) run.fact(out, output, rt::ReadableSize(*room) + " free for it on its disk");
    switch (rt::JudgeSize(bytes, room)) {
        case rt::SizeVerdict::Fits: break;
        case rt::SizeVerdict::TooLarge:
            run.fact(out, output, "its disk cannot hold it: a run would not start");
            break;
        case rt::SizeVerdict::Large:
            run.fact(out, output,
                     run.request.yes ? "large: a run would write it (--yes)"
                                     : "large: a run would ask first (--yes writes it)");
            break;
    }
}

// What a run tells the command line: its progress for the progress line, its refusals as one
// line each, its question on the terminal (or --yes). Failures end the run (thrown, and
// reported as the run's failure).
class Events : public rt::RunEvents {
  public:
    explicit Events(FolderRun& run) : run_(run) {}

    void progress(std::uint64_t done, std::uint64_t known) override {
        done_ = done;
        known_ = known;
    }
    bool accept(const rt::Notice& question) override {
        return run_.largeAccepted(question.file, [&](std::string_view answers) {
            return std::string(question.text) + std::string(answers);
        });
    }
    void refuse(const rt::Notice& refusal) override {
        if (refusal.cause) {
            run_.fail(*refusal.cause, run_.folder);
        } else {
            run_.fail(refusal.file.empty() ? run_.folder : refusal.file, OneLine(refusal.text));
        }
    }

    // How far the run has got, for the progress line's thread: `step` once a progress call came.
    Reading reading(std::string step, bool bytes) const {
        return Reading{std::move(step), static_cast<double>(done_.load()),
                       static_cast<double>(known_.load()), bytes};
    }

  protected:
    FolderRun& run_;

  private:
    std::atomic<std::uint64_t> done_{0}, known_{0};
};

// Binning's failures, each the end of the run as Cancel ends it in the window.
class BinningEvents : public Events {
  public:
    using Events::Events;
    void failed(const rt::RuntimeError& error) override {
        // What the window calls a program error: anything but a missing or unwritable file.
        const bool expected =
            error.number() == rt::kFileNotFound || error.number() == rt::kPermissionDenied;
        run_.fail(error, run_.folder,
                  expected ? std::string()
                           : "; a program error: you may send copies of your input files to " +
                                 std::string(binning::kSupportAddress) + " for a diagnosis");
        throw binning::RunEnded{};
    }
};

void RunBinning(FolderRun& run, bool progress) {
    BinningEvents events(run);
    const ProgressLine line(progress, stderr, run.progressName(), [&] {
        return events.reading("reading " + std::string(binning::kDataName), true);
    });
    binning::Options options;
    options.mode = run.request.mode;
    options.wording = rt::Wording::CommandLine;
    run.reporting(run.folder, [&] {
        try {
            binning::Run(run.folder, options, events);
        } catch (const binning::RunEnded&) {
        }
    });
}

// The cutoffs of a file as a run reads them, or nothing when they do not rise (the run's
// message is then given).
std::optional<std::vector<double>> ReadCutoffs(FolderRun& run, std::FILE* out,
                                               std::string_view name) {
    const fs::path path = run.file(name);
    rt::LineReader file(path);
    std::vector<double> cutoffs;
    while (!file.atEnd()) {
        const std::string_view line = rt::Trim(file.readLine());
        if (line.empty()) continue;
        cutoffs.push_back(binning::NumberValue(line));
        if (cutoffs.size() >= 2 && cutoffs.back() < cutoffs[cutoffs.size() - 2]) {
            run.fail(path, binning::kNotRisingLine);
            return std::nullopt;
        }
    }
    run.fact(out, path,
             "read: " + rt::GroupedCount(cutoffs.size()) +
                 (cutoffs.size() == 1 ? " cutoff" : " cutoffs"));
    return cutoffs;
}

void DryRunBinning(FolderRun& run, std::FILE* out) {
    run.reporting(run.folder, [&] {
        const bool pairs = run.request.mode == binning::Mode::PairsOfValues;
        const bool separate = pairs && rt::FileExists(run.folder, binning::kBins1Name) &&
                              rt::FileExists(run.folder, binning::kBins2Name);
        const auto rows =
            ReadCutoffs(run, out, separate ? binning::kBins1Name : binning::kBinsName);
        if (!rows) return;
        std::optional<std::vector<double>> columns;
        if (separate && !(columns = ReadCutoffs(run, out, binning::kBins2Name))) return;
        const fs::path dataPath = run.file(binning::kDataName);
        const rt::InputFile data(dataPath);
        const std::uint64_t most = binning::MostDataLines(data.size());
        run.fact(out, dataPath,
                 "read: " + rt::ReadableSize(data.size()) + ", at most " + rt::GroupedCount(most) +
                     (most == 1 ? " line" : " lines") + " to count");
        const binning::ResultsSize size =
            pairs ? binning::SizeOfPairResults(*rows, columns ? *columns : *rows, most)
                  : binning::SizeOfSingleResults(*rows, most);
        const fs::path results = run.file(binning::kResultsName);
        run.fact(out, results,
                 "written: " + rt::InWords({size.lines, size.bytes, false, size.bounded}));
        RoomFacts(run, out, results, size.bytes, rt::RoomForOutput(results));
    });
}

// Chainmaker's run. exclude.txt that cannot be read is reported as every other file; a failure
// while out.txt is written names it.
void RunChainmaker(FolderRun& run, bool progress) {
    Events events(run);
    {
        const ProgressLine line(progress, stderr, run.progressName(), [&] {
            return events.reading("writing " + std::string(chainmaker::kOutputName), true);
        });
        chainmaker::Options options = run.request.chainmaker;
        options.wording = rt::Wording::CommandLine;
        try {
            chainmaker::Run(run.folder, options, events);
            return;
        } catch (const rt::RuntimeError& error) {
            run.fail(error, run.folder);
            return;
        } catch (const std::bad_alloc&) {
        } catch (const std::length_error&) {
        }
    }
    run.fail(rt::RuntimeError(rt::kOutOfMemory), run.folder);
}

void DryRunChainmaker(FolderRun& run, std::FILE* out) {
    run.reporting(run.folder, [&] {
        const chainmaker::Options& options = run.request.chainmaker;
        const fs::path inPath = run.file(chainmaker::kInputName);
        chainmaker::Lists lists;
        chainmaker::ReadList(inPath, lists.input, lists.inputCount, rt::MemoryRoom(),
                             chainmaker::kInputBytesPerByte);
        const std::int32_t count = lists.inputCount.value();
        run.fact(out, inPath,
                 "read: " + rt::GroupedCount(count) + (count == 1 ? " string" : " strings"));
        bool bounded = false;
        if (options.exclude) {
            const fs::path excludePath = run.file(chainmaker::kExcludeName);
            chainmaker::ReadList(excludePath, lists.exclude, lists.excludeCount);
            const std::int32_t left = lists.excludeCount.value();
            bounded = left > 0;
            run.fact(out, excludePath,
                     "read: " + rt::GroupedCount(left) + (left == 1 ? " line" : " lines") +
                         " to leave out");
        }
        const chainmaker::OutputSize size = chainmaker::SizeOfOutput(
            lists.input, count, options.separator.size(),
            [&options](int members) { return options.blocks[members - 1]; });
        const fs::path outPath = run.file(chainmaker::kOutputName);
        run.fact(out, outPath,
                 "written: " + rt::InWords({size.lines, size.bytes, bounded, bounded}));
        RoomFacts(run, out, outPath, size.bytes, chainmaker::RoomForOutput(outPath));
    });
}

// The threshold as the window takes it from its box when the run starts; nothing when the text
// stands for a number too large (the run's failure is then given).
std::optional<double> Threshold(FolderRun& run) {
    try {
        // The box's text as the window shows it when the run starts, and its value.
        return rt::TextToNumber(splitword::NormaliseThresholdText(run.request.threshold));
    } catch (const rt::RuntimeError& error) {
        run.fail(error, "--threshold '" + run.request.threshold + "'");
        return std::nullopt;
    }
}

void RunSplitword(FolderRun& run, bool progress) {
    Events events(run);
    const ProgressLine line(progress, stderr, run.progressName(),
                            [&] { return events.reading("searching", false); });
    const std::optional<double> threshold = Threshold(run);
    if (!threshold) return;
    splitword::Options options;
    options.threshold = *threshold;
    options.wording = rt::Wording::CommandLine;
    run.reporting(run.folder, [&] { splitword::Run(run.folder, options, events); });
}

void DryRunSplitword(FolderRun& run, std::FILE* out) {
    const std::optional<double> threshold = Threshold(run);
    if (!threshold) return;
    run.reporting(run.folder, [&] {
        Events events(run);
        splitword::Options options;
        options.threshold = *threshold;
        options.measureOnly = true;
        options.wording = rt::Wording::CommandLine;
        const splitword::Result result = splitword::Run(run.folder, options, events);
        run.fact(out, run.file(splitword::kInputName),
                 "read: " + rt::GroupedCount(result.wordCount) +
                     (result.wordCount == 1 ? " word" : " words") + " kept (threshold " +
                     rt::NumberText(*threshold) + ")");
        run.fact(out, run.file(splitword::kDebugName), "written: the words kept, one a line");
        if (!result.measured) return;
        const splitword::OutputSize& size = *result.measured;
        const fs::path outPath = run.file(splitword::kOutputName);
        run.fact(out, outPath,
                 "written: " + rt::InWords({size.lines, size.bytes, false, false}) +
                     ", found by searching the list");
        RoomFacts(run, out, outPath, size.bytes, rt::RoomForOutput(outPath));
    });
}

}  // namespace

int Run(const Request& request, std::FILE* out, std::FILE* err, std::FILE* answers) {
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
    const bool progress = err == stderr && !request.dryRun && ProgressLine::Wanted(request.quiet);
    const bool named = !request.folders.empty();
    const std::vector<fs::path> folders = named ? request.folders : std::vector<fs::path>{"."};
    int status = kCompleted;
    for (const fs::path& folder : folders) {
        FolderRun run(request, folder, named, err, answers);
        try {
            switch (request.command) {
                case Command::Binning:
                    request.dryRun ? DryRunBinning(run, out) : RunBinning(run, progress);
                    break;
                case Command::Chainmaker:
                    request.dryRun ? DryRunChainmaker(run, out) : RunChainmaker(run, progress);
                    break;
                case Command::Splitword:
                    request.dryRun ? DryRunSplitword(run, out) : RunSplitword(run, progress);
                    break;
                case Command::None: break;
            }
        } catch (const std::exception& error) {
            run.fail(folder, error.what());
        }
        for (const std::string& line : run.lines) std::fprintf(err, "%s\n", line.c_str());
        std::fflush(err);
        if (run.status() != kCompleted) status = kFailed;
    }
    return status;
}

int Main(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    // A large run is asked about only where someone can answer.
    const bool terminal = ::isatty(STDIN_FILENO) == 1 && ::isatty(STDERR_FILENO) == 1;
    const int status = Run(Parse(args), out, err, terminal ? stdin : nullptr);
    errno = 0;
    if (std::fflush(out) != 0 || std::ferror(out)) {
        const int error = errno;
        std::fprintf(err, "datatools: write error%s%s\n", error != 0 ? ": " : "",
                     error != 0 ? std::strerror(error) : "");
        return kFailed;
    }
    return status;
}

}  // namespace cli
