// Runs one program's job on a folder exactly as a click on "Go" would, through the code the
// window calls, and prints one line of figures:
//   job=NAME seconds=S peak_rss_mib=M bytes_in=B bytes_out=B
//
//   jobbench binning DIR --single|--pairs [--plain]
//   jobbench chainmaker DIR --blocks 123456 --separator space|tab|none|other:TEXT [--exclude]
//   [--plain] jobbench splitword DIR --threshold T [--plain]      (DIR becomes the current folder)
//
// With --plain the plain transcription runs instead, as the baseline. A failure prints its
// message and exits non-zero.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "binning_job.h"
#include "chainmaker_job.h"
#include "numbers.h"
#include "reference.h"
#include "runtime_error.h"
#include "splitword_job.h"

namespace fs = std::filesystem;

namespace {

[[noreturn]] void Fail(const std::string& message) {
    std::fprintf(stderr, "%s\n", message.c_str());
    std::exit(1);
}

[[noreturn]] void Usage() {
    Fail(
        "usage: jobbench binning DIR --single|--pairs [--plain]\n"
        "       jobbench chainmaker DIR --blocks 123456 --separator space|tab|none|other:TEXT "
        "[--exclude] [--plain]\n"
        "       jobbench splitword DIR --threshold T [--plain]");
}

// A refusal or a failure goes to the error stream: the run did not go as a benchmark expects. A
// large output is written.
class BenchEvents : public rt::RunEvents {
  public:
    void refuse(const rt::Notice& refusal) override { Fail(std::string(refusal.text)); }
    void failed(const rt::RuntimeError& error) override { Fail(error.what()); }
};

std::uint64_t SizeOf(const fs::path& folder, std::initializer_list<const char*> names) {
    std::uint64_t total = 0;
    std::error_code ec;
    for (const char* name : names) {
        const auto size = fs::file_size(folder / name, ec);
        if (!ec) total += size;
    }
    return total;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) Usage();
    const std::string job = argv[1];
    fs::path folder = argv[2];
    std::vector<std::string_view> args(argv + 3, argv + argc);
    bool plainRun = false;
    std::string mode, blocks = "123", separatorName = "space", threshold = "2";
    bool exclude = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const auto next = [&]() -> std::string {
            if (i + 1 >= args.size()) Usage();
            return std::string(args[++i]);
        };
        if (args[i] == "--plain")
            plainRun = true;
        else if (args[i] == "--single" || args[i] == "--pairs")
            mode = args[i];
        else if (args[i] == "--blocks")
            blocks = next();
        else if (args[i] == "--separator")
            separatorName = next();
        else if (args[i] == "--exclude")
            exclude = true;
        else if (args[i] == "--threshold")
            threshold = next();
        else
            Usage();
    }
    if (!fs::is_directory(folder)) Fail("no folder " + folder.string());

    std::uint64_t bytesIn = 0, bytesOut = 0;
    const auto start = std::chrono::steady_clock::now();
    try {
        if (job == "binning") {
            if (mode.empty()) Usage();
            const bool pairs = mode == "--pairs";
            if (plainRun) {
                const std::string stop = reference::Binning(folder, pairs);
                if (!stop.empty()) Fail(stop);
            } else {
                BenchEvents events;
                binning::Options options;
                options.mode = pairs ? binning::Mode::PairsOfValues : binning::Mode::SingleValues;
                binning::Run(folder, options, events);
            }
            bytesIn = SizeOf(folder, {"Data.txt", "bins.txt", "Bins1.txt", "Bins2.txt"});
            bytesOut = SizeOf(folder, {"Results.txt"});
        } else if (job == "chainmaker") {
            std::string separator;
            if (separatorName == "space")
                separator = " ";
            else if (separatorName == "tab")
                separator = "\t";
            else if (separatorName == "none")
                separator = "";
            else if (separatorName.rfind("other:", 0) == 0)
                separator = separatorName.substr(6);
            else
                Usage();
            chainmaker::Options options;
            unsigned mask = 0;
            for (int k = 1; k <= 6; ++k) {
                const bool wanted = blocks.find(static_cast<char>('0' + k)) != std::string::npos;
                options.blocks[k - 1] = wanted;
                if (wanted) mask |= 1u << (k - 1);
            }
            options.separator = separator;
            options.exclude = exclude;
            if (plainRun) {
                if (!reference::Chainmaker(folder, mask, separator, exclude))
                    Fail("Can't find the file exclude.txt");
            } else {
                BenchEvents events;
                chainmaker::Run(folder, options, events);
            }
            bytesIn = SizeOf(folder, {"in.txt"}) + (exclude ? SizeOf(folder, {"exclude.txt"}) : 0);
            bytesOut = SizeOf(folder, {"out.txt"});
        } else if (job == "splitword") {
            // The program resolves its names against the current folder.
            fs::current_path(folder);
            folder = ".";
            const double value = rt::TextToNumber(threshold);
            if (plainRun) {
                reference::Splitword(folder, value);
            } else {
                BenchEvents events;
                splitword::Options options;
                options.threshold = value;
                splitword::Run(folder, options, events);
            }
            bytesIn = SizeOf(folder, {"in.txt"});
            bytesOut = SizeOf(folder, {"Debug.txt", "out.txt"});
        } else {
            Usage();
        }
    } catch (const rt::RuntimeError& error) {
        Fail(error.what());
    } catch (const binning::RunEnded&) {
        Fail("the run ended");
    } catch (const std::exception& error) {
        Fail(error.what());
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("job=%s seconds=%.3f peak_rss_mib=%.1f bytes_in=%llu bytes_out=%llu\n", job.c_str(),
                seconds, static_cast<double>(usage.ru_maxrss) / 1024.0,
                static_cast<unsigned long long>(bytesIn),
                static_cast<unsigned long long>(bytesOut));
    return 0;
}
