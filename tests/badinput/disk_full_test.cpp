// An output that fills the disk: the output's name is a symbolic link to /dev/full, where every
// write fails for want of space. Binning shows its program-error box and ends; Chainmaker and
// Splitword show the report of an unhandled error 61 ("Disk full") and end. Nothing shows "Done",
// no input changes, and an output not yet begun is left as it was. Small outputs fail when the
// file is closed, large ones (more than the writer's 1 MiB buffer) in the middle of the writing.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <ostream>
#include <string>

#include "harness/programs.h"
#include "runtime_error.h"
#include "temp_folder.h"

namespace badinput {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

const std::string kWords = "black\nbird\nblackbird\n";

// 100000 cutoffs: a report of about 2 MB.
std::string ManyCutoffs() {
    std::string lines;
    for (int i = 0; i < 100000; ++i) lines += std::to_string(i) + "\n";
    return lines;
}

// 100 strings: blocks 1 to 3 make about 27 MB.
std::string HundredStrings() {
    std::string lines;
    for (int i = 0; i < 100; ++i) lines += "string" + std::to_string(100 + i) + "\n";
    return lines;
}

// 40 words of 400 letters, each beginning with its own letter, and the 1600 compounds of two
// of them: Debug.txt of 1.3 MB, out.txt of 2.5 MB.
std::string ManyCompounds() {
    std::string bases[40];
    for (int i = 0; i < 40; ++i) {
        bases[i] = std::string(1, static_cast<char>('0' + i));
        while (bases[i].size() < 400)
            bases[i] += static_cast<char>('a' + (bases[i].size() * 7 + i) % 26);
    }
    std::string lines;
    for (const std::string& base : bases) lines += base + "\n";
    for (const std::string& first : bases)
        for (const std::string& second : bases) lines += first + second + "\n";
    return lines;
}

// The word list as Debug.txt lists it: every line, each ended by CR LF.
std::string DebugOf(const std::string& lines) {
    std::string debug;
    std::size_t from = 0;
    for (std::size_t end; (end = lines.find('\n', from)) != std::string::npos; from = end + 1)
        debug += lines.substr(from, end - from) + "\r\n";
    return debug;
}

// The files and the expectation are made when the test runs, not when the tests are listed.
struct DiskFullCase {
    const char* name;
    Program program;
    Settings settings;
    Files (*files)();
    const char* full;  // the output whose name links to /dev/full
    Reference (*expected)();
};

void PrintTo(const DiskFullCase& c, std::ostream* out) {
    *out << c.name;
}

Reference WithWritten(Reference reference, const std::string& name, std::string bytes) {
    reference.outputs[name] = std::move(bytes);
    return reference;
}

const DiskFullCase kCases[] = {
    {"BinningReport",
     Program::Binning,
     {},
     [] {
         return Files{{"bins.txt", kBins}, {"Data.txt", kData}};
     },
     "Results.txt",
     [] { return EndedOn(61, {"Results.txt"}); }},
    {"BinningReportOfTwoMegabytes",
     Program::Binning,
     {},
     [] {
         return Files{{"bins.txt", ManyCutoffs()}, {"Data.txt", "5\n"}};
     },
     "Results.txt",
     [] { return EndedOn(61, {"Results.txt"}); }},
    {"BinningCrossTable", Program::Binning, Pairs(),
     [] {
         return Files{{"bins.txt", kBins}, {"Data.txt", kPairs}};
     },
     "Results.txt", [] { return EndedOn(61, {"Results.txt"}); }},
    {"ChainmakerOutTxt",
     Program::Chainmaker,
     {},
     [] {
         return Files{{"in.txt", "a\nb\n"}};
     },
     "out.txt",
     [] { return EndedOn(61, {"out.txt"}); }},
    {"ChainmakerOutTxtOf27Megabytes",
     Program::Chainmaker,
     {},
     [] {
         return Files{{"in.txt", HundredStrings()}};
     },
     "out.txt",
     [] { return EndedOn(61, {"out.txt"}); }},
    {"SplitwordDebugTxt",
     Program::Splitword,
     {},
     [] {
         return Files{{"in.txt", kWords}};
     },
     "Debug.txt",
     [] {
         return EndedOn(61, {"Debug.txt", "out.txt"});
     }},
    {"SplitwordDebugTxtOfOneMegabyteAndMore",
     Program::Splitword,
     {},
     [] {
         return Files{{"in.txt", ManyCompounds()}};
     },
     "Debug.txt",
     [] {
         return EndedOn(61, {"Debug.txt", "out.txt"});
     }},
    {"SplitwordOutTxt",
     Program::Splitword,
     {},
     [] {
         return Files{{"in.txt", kWords}};
     },
     "out.txt",
     [] { return WithWritten(EndedOn(61, {"out.txt"}), "Debug.txt", DebugOf(kWords)); }},
    {"SplitwordOutTxtOfTwoMegabytes",
     Program::Splitword,
     {},
     [] {
         return Files{{"in.txt", ManyCompounds()}};
     },
     "out.txt",
     [] { return WithWritten(EndedOn(61, {"out.txt"}), "Debug.txt", DebugOf(ManyCompounds())); }},
};

class DiskFullTest : public ::testing::TestWithParam<DiskFullCase> {};

TEST_P(DiskFullTest, EndsWithTheFailureReported) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "this system has no /dev/full";
    const DiskFullCase& c = GetParam();
    testing_support::TempFolder folder;
    for (const auto& [name, bytes] : c.files()) folder.write(name, bytes);
    fs::create_symlink("/dev/full", folder / c.full);
    CheckRun(c.program, folder.path(), c.settings, c.expected());
}

INSTANTIATE_TEST_SUITE_P(OutputLinkedToDevFull, DiskFullTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace badinput
