#pragma once
// The command line of `datatools`: which job to run on which folders with which of the window's
// settings, or a request for help or the version, or a misuse with its one-line hint.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "binning_job.h"
#include "chainmaker_job.h"

namespace cli {

// Exit statuses.
inline constexpr int kCompleted = 0;  // the output is complete
inline constexpr int kFailed = 1;     // a run failed or was declined; one line each on stderr
inline constexpr int kMisuse = 2;     // the command line was wrong

enum class Command { None, Binning, Chainmaker, Splitword };

struct Request {
    enum class Kind { Run, Help, Version, Misuse } kind = Kind::Run;
    Command command = Command::None;
    std::string problem;  // Misuse: the one-line message
    // The folders to run in, each as if alone, as the user named them; none: the current one.
    std::vector<std::filesystem::path> folders;
    bool quiet = false;
    // Say what a run would read and write, and its sizes, writing nothing.
    bool dryRun = false;
    // Write a large output without asking.
    bool yes = false;
    // binning: the option chosen in "Specify data type".
    binning::Mode mode = binning::Mode::SingleValues;
    // chainmaker: the ticked blocks, the separator and "Exclude strings in the file exclude.txt".
    chainmaker::Options chainmaker;
    // splitword: the text of the threshold box, as typed.
    std::string threshold = "2";
};

// Reads the arguments after the program's name. The folders' existence is checked here.
Request Parse(const std::vector<std::string>& args);

// `datatools --help` (Command::None) or `datatools COMMAND --help`.
std::string HelpText(Command command);
std::string VersionText();
// The command's name as typed ("binning"), "" for Command::None.
std::string_view CommandName(Command command);

}  // namespace cli
