// `datatools` as a user runs it: as a separate process without a display, on folders that the
// windows also run on, compared file by file and by the outcome, with its one-line messages
// (where the windows are built: COMPARED_WITH_WINDOWS).
#include <gtest/gtest.h>
#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "command_line.h"
#include "commands.h"
#include "current_folder.h"
#ifdef COMPARED_WITH_WINDOWS
#include "harness/folder_snapshot.h"
#include "harness/programs.h"
#endif
#include "progress.h"
#include "scripted_platform.h"
#include "temp_folder.h"

#if !defined(_WIN32)
extern char** environ;
#endif

namespace {

namespace fs = std::filesystem;
using testing_support::TempFolder;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

#if defined(_WIN32)
// datatools.exe lies beside the test programs.
fs::path DatatoolsExe() {
    wchar_t self[MAX_PATH * 4];
    const DWORD length = ::GetModuleFileNameW(nullptr, self, MAX_PATH * 4);
    return fs::path(std::wstring(self, length)).parent_path() / "datatools.exe";
}

// One argument of a command line, quoted as CommandLineToArgvW reads it back.
std::wstring Quoted(const std::string& arg) {
    const int length =
        ::MultiByteToWideChar(CP_UTF8, 0, arg.data(), static_cast<int>(arg.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, arg.data(), static_cast<int>(arg.size()), wide.data(),
                          length);
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : wide) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, L'\\');
    return quoted + L"\"";
}

// Runs datatools with `args` in `cwd`, its output and errors into files.
Outcome RunDatatools(const std::vector<std::string>& args, const fs::path& cwd = ".") {
    static const TempFolder streams;
    // Files of their own for each run: under wine a handle the last child inherited can stay
    // open for a moment after it has ended.
    static int runs = 0;
    const std::string out = "out" + std::to_string(++runs);
    const std::string err = "err" + std::to_string(runs);
    std::wstring commandLine = L"datatools";
    for (const std::string& arg : args) commandLine += L" " + Quoted(arg);
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const auto open = [&](const std::string& name) {
        return ::CreateFileW((streams / name).c_str(), GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = INVALID_HANDLE_VALUE;
    startup.hStdOutput = open(out);
    startup.hStdError = open(err);
    PROCESS_INFORMATION process{};
    Outcome outcome;
    const fs::path exe = DatatoolsExe();
    const testing_support::CurrentFolder current(cwd);
    // Wine, busy with the processes it is ending, may refuse a start for a moment.
    bool started = false;
    for (int attempt = 0; attempt < 5 && !started; ++attempt) {
        if (attempt > 0) ::Sleep(200);
        started = ::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                                   nullptr, nullptr, &startup, &process) != 0;
    }
    if (started) {
        ::WaitForSingleObject(process.hProcess, INFINITE);
        DWORD status = 0;
        ::GetExitCodeProcess(process.hProcess, &status);
        outcome.status = static_cast<int>(status);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    } else {
        const DWORD error = ::GetLastError();
        ::CloseHandle(startup.hStdOutput);
        ::CloseHandle(startup.hStdError);
        outcome.err = "(datatools.exe not started: error " + std::to_string(error) + ")";
        return outcome;
    }
    ::CloseHandle(startup.hStdOutput);
    ::CloseHandle(startup.hStdError);
    outcome.out = streams.read(out);
    outcome.err = streams.read(err);
    return outcome;
}
#else
// Runs datatools with `args` in `cwd`, with no display in its environment.
Outcome RunDatatools(const std::vector<std::string>& args, const fs::path& cwd = ".") {
    static const TempFolder streams;
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (!entry.starts_with("DISPLAY=") && !entry.starts_with("WAYLAND_DISPLAY=") &&
            !entry.starts_with("QT_QPA_PLATFORM="))
            env.push_back(entry);
    }
    std::vector<std::string> argv = {DATATOOLS};
    argv.insert(argv.end(), args.begin(), args.end());
    const auto pointers = [](std::vector<std::string>& texts) {
        std::vector<char*> list;
        for (std::string& text : texts) list.push_back(text.data());
        list.push_back(nullptr);
        return list;
    };
    auto argp = pointers(argv);
    auto envp = pointers(env);

    const testing_support::CurrentFolder current(cwd);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, (streams / "out").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, (streams / "err").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    Outcome outcome;
    if (posix_spawn(&pid, DATATOOLS, &actions, nullptr, argp.data(), envp.data()) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    outcome.out = streams.read("out");
    outcome.err = streams.read("err");
    return outcome;
}
#endif

// Text naming a file as datatools shows it: with the system's separator ("d\\out.txt" on
// Windows).
std::string Shown(std::string text) {
#if defined(_WIN32)
    std::replace(text.begin(), text.end(), '/', '\\');
#endif
    return text;
}

// Lays out a folder: each name with its bytes, a name ending in "/" as a folder.
void Fill(const fs::path& folder, const std::map<std::string, std::string>& files) {
    for (const auto& [name, bytes] : files) {
        if (name.ends_with("/")) {
            fs::create_directory(folder / name);
        } else {
            std::ofstream(folder / name, std::ios::binary) << bytes;
        }
    }
}

// Every file of a folder with its bytes.
std::map<std::string, std::string> Contents(const fs::path& folder) {
    std::map<std::string, std::string> contents;
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        contents[entry.path().filename().string()] =
            std::string(std::istreambuf_iterator<char>(in), {});
    }
    return contents;
}

// Files of data the tests share.
const std::string kData = "5\r\n10\r\n15\r\n25\r\nabc\r\n\r\n";
const std::string kPairData = "5\t15\r\n10\t10\r\n25\t5\r\n15\r\n";
const std::string kBins = "0\r\n10\r\n20\r\n";
const std::string kWords = "sun\r\nflower\r\nsunflower\r\na\r\nrain\tgloss\r\nrainbow\r\nbow\r\n";

#ifdef COMPARED_WITH_WINDOWS
using badinput::Blocks;
using badinput::Pairs;
using badinput::Program;
using badinput::Settings;
using badinput::Threshold;

// The command line that asks for the window's settings; the folder first or last.
std::vector<std::string> CommandLine(Program program, const Settings& settings,
                                     const std::string& folder, bool folderFirst) {
    std::vector<std::string> args;
    switch (program) {
        case Program::Binning: args = {"binning", settings.pairs ? "--pairs" : "--single"}; break;
        case Program::Chainmaker: {
            std::string blocks;
            for (int k = 0; k < 6; ++k)
                if ((settings.blocks >> k) & 1u)
                    blocks += (blocks.empty() ? "" : ",") + std::to_string(k + 1);
            const std::string separator = settings.separator;
            args = {"chainmaker", "--blocks", blocks};
            if (separator == "\t") {
                args.insert(args.end(), {"--separator", "tab"});
            } else if (separator.empty()) {
                args.insert(args.end(), {"--separator", "none"});
            } else if (separator != " ") {
                args.insert(args.end(), {"--separator-text", separator});
            }
            if (settings.exclude) args.push_back("--exclude");
            break;
        }
        case Program::Splitword: args = {"splitword", "--threshold", settings.threshold}; break;
    }
    args.insert(folderFirst ? args.begin() + 1 : args.end(), folder);
    return args;
}

struct Case {
    const char* name;
    Program program;
    Settings settings;
    std::map<std::string, std::string> files;  // a name ending in "/" is a folder
    int status;                                // what datatools exits with
    const char* names = nullptr;  // the file its message names (in the folder), or the option
};

const Case kCases[] = {
    // The worked examples and variants.
    {"BinningSingle", Program::Binning, {}, {{"bins.txt", kBins}, {"Data.txt", kData}}, 0},
    {"BinningPairs", Program::Binning, Pairs(), {{"bins.txt", kBins}, {"Data.txt", kPairData}}, 0},
    {"BinningPairsOwnCutoffs",
     Program::Binning,
     Pairs(),
     {{"Bins1.txt", "0\n5\n"}, {"bins2.txt", "-5\n0\n20\n"}, {"Data.txt", kPairData}},
     0},
    {"ChainmakerExample", Program::Chainmaker, Blocks(0b111, false, ""), {{"in.txt", "a\nb\n"}}, 0},
    {"ChainmakerOtherExcluded",
     Program::Chainmaker,
     Blocks(0b11, true, " - "),
     {{"in.txt", "  red apple  \n\t\npear\n"}, {"exclude.txt", "pear - pear\nred apple\n"}},
     0},
    {"ChainmakerTabNoBlocks",
     Program::Chainmaker,
     Blocks(0, false, "\t"),
     {{"in.txt", "x\n"}, {"out.txt", "old"}},
     0},
    {"ChainmakerSixOfTwo",
     Program::Chainmaker,
     Blocks(0b111111, false, "\t"),
     {{"in.txt", "x\ny\n"}},
     0},
    {"SplitwordDefault", Program::Splitword, {}, {{"in.txt", kWords}}, 0},
    {"SplitwordThreshold3x", Program::Splitword, Threshold(" 3x"), {{"in.txt", kWords}}, 0},
    {"SplitwordThresholdText",
     Program::Splitword,
     Threshold("abc"),
     {{"in.txt", "\r\n\tx\r\nab\r\nabab\r\n"}},
     0},
    {"SplitwordEmpty", Program::Splitword, {}, {{"in.txt", ""}}, 0},
    // Stops and failures: one line on stderr, the files as the window leaves them.
    {"BinningNotRising",
     Program::Binning,
     {},
     {{"bins.txt", "0\n10\n5\n"}, {"Data.txt", kData}},
     1,
     "bins.txt"},
    {"BinningBins2NotRising",
     Program::Binning,
     Pairs(),
     {{"Bins1.txt", "0\n5\n"}, {"Bins2.txt", "3\n1\n"}, {"Data.txt", kPairData}},
     1,
     "Bins2.txt"},
    {"BinningNoData",
     Program::Binning,
     {},
     {{"bins.txt", kBins}, {"Results.txt", "old"}},
     1,
     "Data.txt"},
    {"BinningResultsIsFolder",
     Program::Binning,
     {},
     {{"bins.txt", kBins}, {"Data.txt", kData}, {"Results.txt/", ""}},
     1,
     "Results.txt"},
    {"ChainmakerNoExclude",
     Program::Chainmaker,
     Blocks(0b111, true, " "),
     {{"in.txt", "a\n"}, {"out.txt", "old"}},
     1,
     "exclude.txt"},
    {"ChainmakerNoInput", Program::Chainmaker, Blocks(0b111, true, " "), {}, 1, "in.txt"},
    {"ChainmakerOutIsFolder",
     Program::Chainmaker,
     Blocks(0b1, false, " "),
     {{"in.txt", "a\n"}, {"out.txt/", ""}},
     1,
     "out.txt"},
    {"SplitwordNoInput", Program::Splitword, {}, {{"out.txt", "old"}}, 1, "in.txt"},
    {"SplitwordThresholdTooLarge",
     Program::Splitword,
     Threshold("1e999"),
     {{"in.txt", kWords}},
     1,
     "--threshold '1e999'"},
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class SameAsWindow : public ::testing::TestWithParam<Case> {};

TEST_P(SameAsWindow, SameFilesAndOutcome) {
    const Case& c = GetParam();
    TempFolder windowFolder, lineFolder;
    Fill(windowFolder.path(), c.files);
    Fill(lineFolder.path(), c.files);

    testing_support::ScriptedPlatform platform;
    platform.answers.assign(10, rt::Answer::Cancel);
    {
        badinput::Window window(c.program, windowFolder.path(), c.settings, platform);
        window.click();
        EXPECT_EQ(window.caption() == badinput::DoneCaption(c.program), c.status == 0);
    }
    EXPECT_EQ(platform.boxes.empty(), c.status == 0);

    // The folder by its name relative to the current directory, first for every other program.
    const bool folderFirst = c.program == Program::Chainmaker;
    const std::string folder = lineFolder.path().filename().string();
    const std::vector<std::string> args = CommandLine(c.program, c.settings, folder, folderFirst);
    const Outcome outcome = RunDatatools(args, lineFolder.path().parent_path());
    EXPECT_EQ(outcome.status, c.status);
    EXPECT_EQ(outcome.out, "");
    if (c.status == 0) {
        EXPECT_EQ(outcome.err, "");
    } else {
        // One line: the program, the command, the file as named on the command line, a reason.
        const std::string named = c.names[0] == '-' ? std::string(c.names) : folder + "/" + c.names;
        EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
        EXPECT_TRUE(outcome.err.ends_with("\n")) << outcome.err;
        EXPECT_EQ(outcome.err.rfind("datatools: " + args[0] + ": " + named + ": ", 0), 0u)
            << outcome.err;
        EXPECT_EQ(outcome.err.find("click"), std::string::npos) << outcome.err;
    }

    const badinput::Snapshot byWindow = badinput::TakeSnapshot(windowFolder.path());
    const badinput::Snapshot byLine = badinput::TakeSnapshot(lineFolder.path());
    std::set<std::string> names;
    for (const auto& [name, entry] : byWindow) names.insert(name);
    for (const auto& [name, entry] : byLine) names.insert(name);
    for (const std::string& name : names) {
        EXPECT_EQ(byWindow.count(name), byLine.count(name)) << name;
        if (byWindow.count(name) && byLine.count(name)) {
            EXPECT_EQ(byWindow.at(name).bytes, byLine.at(name).bytes) << name;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, SameAsWindow, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });
#endif  // COMPARED_WITH_WINDOWS

// A wrong command line: exit status 2, one line naming the problem and where help is; no file
// written.
TEST(Misuse, OneLineHintAndStatus2) {
    const TempFolder folder;
    folder.write("in.txt", "a\n");
    fs::create_directory(folder / "-p03");
    const struct {
        std::vector<std::string> args;
        const char* says;
    } cases[] = {
        {{}, "datatools: no command given; see 'datatools --help'"},
        {{"frobnicate"}, "no command 'frobnicate'"},
        {{"--single", "binning"}, "the command comes first"},
        {{"binning", "."},
         "datatools: binning: choose --single or --pairs; see 'datatools binning --help'"},
        {{"binning", "--single", "--nope"}, "unknown option '--nope'"},
        {{"binning", "-x", "--single"}, "unknown option '-x'"},
        {{"binning", "--single=1"}, "'--single' takes no value"},
        {{"binning", "--single", "--blocks", "12"}, "unknown option '--blocks'"},
        {{"binning", "--pairs", "no-such-folder"}, "no folder 'no-such-folder'"},
        {{"binning", "--pairs", "in.txt"}, "no folder 'in.txt'"},
        {{"binning", "--pairs", ".", ""}, "datatools: binning: a FOLDER name is empty"},
        {{"binning", "--single", ""}, "datatools: binning: a FOLDER name is empty"},
        // Not the option before it, nor a letter of it: the argument itself.
        {{"binning", "--single", "-p03/"},
         "datatools: binning: unknown option '-p03/' (to name a folder that begins with '-', "
         "write ./-p03/)"},
        {{"chainmaker", "--separator-text", "-", "-qp03"}, "unknown option '-qp03'"},
        {{"chainmaker", "--separator", "comma"}, "--separator is space, tab or none"},
        {{"chainmaker", "--blocks", "17"}, "--blocks takes digits 1 to 6"},
        {{"splitword", "--threshold"}, "datatools: splitword: '--threshold' needs a value"},
    };
    for (const auto& c : cases) {
        const Outcome outcome = RunDatatools(c.args, folder.path());
        EXPECT_EQ(outcome.status, 2) << c.says;
        EXPECT_NE(outcome.err.find(c.says), std::string::npos) << outcome.err;
        EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
        EXPECT_TRUE(outcome.err.ends_with("--help'\n")) << outcome.err;
    }
    EXPECT_FALSE(folder.exists("out.txt"));
    EXPECT_FALSE(folder.exists("Results.txt"));
}

// Options after FOLDER and after "--"; the separator text may be empty or start with a dash.
TEST(Arguments, AnyOrder) {
    const TempFolder folder;
    folder.write("in.txt", "a\nb\n");
    const struct {
        std::vector<std::string> args;
        const char* out;
    } cases[] = {
        {{"chainmaker", ".", "--blocks", "2", "--separator-text", ""}, "aa\r\nab\r\nba\r\nbb\r\n"},
        {{"chainmaker", "--blocks=12", "--separator-text=-", "-q", "--", "."},
         "a\r\nb\r\na-a\r\na-b\r\nb-a\r\nb-b\r\n"},
        {{"chainmaker", "--separator-text", "x", "--separator", "tab", "--blocks", "2", "."},
         "a\ta\r\na\tb\r\nb\ta\r\nb\tb\r\n"},
    };
    for (const auto& c : cases) {
        const Outcome outcome = RunDatatools(c.args, folder.path());
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        EXPECT_EQ(folder.read("out.txt"), c.out);
    }
}

// A run no disk holds fails before out.txt is touched (and Splitword's before Debug.txt), the
// sizes in the message.
TEST(Arguments, ARunTooLargeForTheDiskIsNotStarted) {
    std::string strings;
    for (int i = 0; i < 2000; ++i) strings += "s" + std::to_string(i) + "\n";
    // 500,000 ab and 500,000 abab: 2.5 * 10^11 lines of 12 bytes.
    std::string words;
    for (int i = 0; i < 500000; ++i) words += "ab\n";
    for (int i = 0; i < 500000; ++i) words += "abab\n";
    const struct {
        std::vector<std::string> args;
        const std::string& input;
        const char* message;
    } cases[] = {
        {{"chainmaker", "--blocks", "6"},
         strings,
         "datatools: chainmaker: ./out.txt: this run would write 64,000,000,000,000,000,000 "
         "lines ("},
        {{"splitword"},
         words,
         "datatools: splitword: ./out.txt: this run would write 250,000,000,001 lines (2.7 TiB) "
         "to out.txt, but its disk has only "},
    };
    for (const auto& c : cases) {
        const TempFolder folder;
        folder.write("in.txt", c.input);
        folder.write("out.txt", "old\r\n");
        for (const char* yes : {"--yes", "-q"}) {
            std::vector<std::string> args = c.args;
            args.insert(args.end(), {yes, "."});
            const Outcome outcome = RunDatatools(args, folder.path());
            EXPECT_EQ(outcome.status, 1);
            EXPECT_EQ(outcome.err.rfind(Shown(c.message), 0), 0u) << outcome.err;
            EXPECT_EQ(folder.read("out.txt"), "old\r\n");
            EXPECT_FALSE(folder.exists("Debug.txt"));
        }
    }
}

// A table of counts no memory holds is not made, --yes or not: the message names the memory.
TEST(Arguments, ABinningTableTooLargeForMemoryIsNotMade) {
    const TempFolder folder;
    std::string cutoffs;
    for (int i = 0; i < 1000000; ++i) cutoffs += std::to_string(i) + "\n";
    folder.write("bins.txt", cutoffs);
    folder.write("Data.txt", "1\t2\n");
    folder.write("Results.txt", "old\r\n");
    for (const char* yes : {"--yes", "-q"}) {
        const Outcome outcome = RunDatatools({"binning", "--pairs", yes, "."}, folder.path());
        EXPECT_EQ(outcome.status, 1);
        EXPECT_EQ(
            outcome.err.rfind("datatools: binning: .: this run would need 3.6 TiB of memory to "
                              "count its table of 999,999 rows by 999,999 columns, but this "
                              "computer has only ",
                              0),
            0u)
            << outcome.err;
        EXPECT_TRUE(
            outcome.err.ends_with(" free for it; nothing has been written; put fewer "
                                  "cutoffs into Bins.txt, or close other programs\n"))
            << outcome.err;
        EXPECT_EQ(folder.read("Results.txt"), "old\r\n");
    }
}

// Several folders in one call, each run as if alone: a line for the one that failed, the others
// written, status 1.
TEST(Arguments, SeveralFoldersOneFailing) {
    const TempFolder folder;
    for (const char* name : {"a", "b", "c"}) fs::create_directory(folder / name);
    folder.write("a/in.txt", "x\n");
    folder.write("c/in.txt", "y\n");
    const Outcome outcome =
        RunDatatools({"chainmaker", "--blocks", "1", "a", "b", "c"}, folder.path());
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, Shown("datatools: chainmaker: b/in.txt: file not found (error 53)\n"));
    EXPECT_EQ(folder.read("a/out.txt"), "x\r\n");
    EXPECT_EQ(folder.read("c/out.txt"), "y\r\n");
    EXPECT_FALSE(folder.exists("b/out.txt"));
}

// A dry run says what a run would read and write, one fact a line on stdout naming the file,
// and writes nothing.
TEST(Arguments, DryRunWritesNothing) {
    const struct {
        std::vector<std::string> args;
        std::map<std::string, std::string> files;
        const char* fact;
    } cases[] = {
        {{"binning", "--pairs"},
         {{"bins.txt", kBins}, {"Data.txt", kPairData}, {"Results.txt", "old"}},
         "d/Results.txt: written: 8 lines (at most "},
        {{"chainmaker", "--blocks", "12", "--exclude"},
         {{"in.txt", "a\nb\n"}, {"exclude.txt", "a a\n"}, {"out.txt", "old"}},
         "d/out.txt: written: at most 6 lines (at most 26 bytes)"},
        {{"splitword"}, {{"in.txt", kWords}}, "d/out.txt: written: 3 lines ("},
    };
    for (const auto& c : cases) {
        const TempFolder folder;
        fs::create_directory(folder / "d");
        Fill(folder / "d", c.files);
        const auto before = Contents(folder / "d");
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--dry-run", "d"});
        const Outcome outcome = RunDatatools(args, folder.path());
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        EXPECT_EQ(outcome.err, "");
        EXPECT_NE(outcome.out.find(Shown(c.fact)), std::string::npos) << outcome.out;
        std::size_t start = 0;
        for (std::size_t end; (end = outcome.out.find('\n', start)) != std::string::npos;
             start = end + 1)
            EXPECT_EQ(outcome.out.compare(start, 2, Shown("d/")), 0) << outcome.out;
        EXPECT_EQ(Contents(folder / "d"), before);
    }
}

// A large run answered no (or not at all) is a failed run: status 1, out.txt untouched. out.txt
// leads to a device, so that the size is large (over 10 GiB) whatever the disk.
TEST(Arguments, ALargeRunDeclinedFails) {
#if defined(_WIN32)
    GTEST_SKIP() << "no /dev/null to link an output to on Windows";
#else
    const TempFolder folder;
    std::string strings;
    for (int i = 0; i < 2000; ++i) strings += "s" + std::to_string(i) + "\n";
    folder.write("in.txt", strings);
    fs::create_symlink("/dev/null", folder / "out.txt");
    const cli::Request request =
        cli::Parse({"chainmaker", "--blocks", "3", folder.path().string()});
    ASSERT_EQ(request.kind, cli::Request::Kind::Run) << request.problem;
    for (const char* answer : {"n\n", "\n", ""}) {
        folder.write("answer", answer);
        std::FILE* answers = std::fopen((folder / "answer").c_str(), "r");
        std::FILE* err = std::tmpfile();
        ASSERT_TRUE(answers && err);
        EXPECT_EQ(cli::Run(request, stdout, err, answers), 1) << answer;
        std::fclose(answers);
        std::fclose(err);
        EXPECT_TRUE(fs::is_symlink(folder / "out.txt"));
    }
#endif
}

TEST(Help, EachCommandAndVersion) {
    using cli::Command;
    for (const Command command :
         {Command::None, Command::Binning, Command::Chainmaker, Command::Splitword}) {
        std::vector<std::string> args;
        if (command != Command::None) args.emplace_back(cli::CommandName(command));
        args.emplace_back("--help");
        const Outcome outcome = RunDatatools(args);
        EXPECT_EQ(outcome.status, 0);
        EXPECT_EQ(outcome.out, cli::HelpText(command));
        EXPECT_EQ(outcome.err, "");
        // Lines fit a terminal of 80 columns.
        std::size_t start = 0;
        for (std::size_t end; (end = outcome.out.find('\n', start)) != std::string::npos;
             start = end + 1)
            EXPECT_LE(end - start, 80u) << outcome.out.substr(start, end - start);
    }
    const Outcome version = RunDatatools({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, cli::VersionText());
}

// The man page names the options of the help and no other, and the same version.
TEST(Help, ManPageInStep) {
    std::ifstream in(MAN_PAGE, std::ios::binary);
    std::string page(std::istreambuf_iterator<char>(in), {});
    ASSERT_FALSE(page.empty());
    // troff writes a dash as a backslash and a minus.
    for (std::size_t at; (at = page.find("\\-")) != std::string::npos;) page.erase(at, 1);
    // Every "--name" (a lower-case letter, then letters and dashes).
    const auto options = [](const std::string& text) {
        std::set<std::string> found;
        for (std::size_t at = 0; (at = text.find("--", at)) != std::string::npos; at += 2) {
            std::size_t end = at + 2;
            if (end >= text.size() || text[end] < 'a' || text[end] > 'z') continue;
            while (end < text.size() &&
                   ((text[end] >= 'a' && text[end] <= 'z') || text[end] == '-'))
                ++end;
            found.insert(text.substr(at, end - at));
        }
        return found;
    };
    std::set<std::string> inHelp;
    for (const auto command : {cli::Command::None, cli::Command::Binning, cli::Command::Chainmaker,
                               cli::Command::Splitword})
        for (const std::string& name : options(cli::HelpText(command))) inHelp.insert(name);
    EXPECT_EQ(options(page), inHelp);
    std::string version = cli::VersionText();
    version.pop_back();
    EXPECT_NE(page.find(".TH DATATOOLS 1 \"\" \"" + version + "\""), std::string::npos);
}

// No desktop library: the command line runs where there is no display at all.
TEST(Linking, NoQtGui) {
#if defined(_WIN32)
    GTEST_SKIP() << "no Qt in the Windows build; scripts/build-windows checks the DLLs it imports";
#else
    FILE* ldd = popen("ldd " DATATOOLS " 2>&1", "r");
    ASSERT_NE(ldd, nullptr);
    std::string libraries;
    char buffer[4096];
    while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, ldd))
        libraries.append(buffer, got);
    pclose(ldd);
    EXPECT_EQ(libraries.find("libQt6Gui"), std::string::npos) << libraries;
    EXPECT_EQ(libraries.find("libQt6Widgets"), std::string::npos) << libraries;
#endif
}

TEST(Progress, LineText) {
    const struct {
        cli::Reading reading;
        double rate, left;
        const char* text;
    } cases[] = {
        {{"reading Data.txt", 45, 100, true},
         123.4e6,
         7.2,
         "binning: reading Data.txt   45%  118 MiB/s  0:07 left"},
        {{"searching", 1, 3, false},
         12345,
         3725,
         "binning: searching   33%  12k words/s  1:02:05 left"},
        {{"writing out.txt", 0, 9, true}, 0, -1, "binning: writing out.txt    0%  -:-- left"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cli::ProgressText("binning", c.reading, c.rate, c.left), c.text);
}

// The line is drawn in place and erased when the run ends, and the end does not wait for it.
TEST(Progress, DrawnThenErased) {
    const TempFolder folder;
    std::FILE* out = std::fopen((folder / "err").string().c_str(), "w");
    ASSERT_NE(out, nullptr);
    std::atomic<int> samples{0};
    const auto start = std::chrono::steady_clock::now();
    {
        const cli::ProgressLine line(
            true, out, "binning",
            [&] {
                ++samples;
                return cli::Reading{"reading Data.txt", 1, 2, true};
            },
            std::chrono::milliseconds(0));
        while (samples < 3) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    std::fclose(out);
    const std::string text = folder.read("err");
    EXPECT_TRUE(text.starts_with("\rbinning: reading Data.txt   50%")) << text;
    EXPECT_TRUE(text.ends_with("left\033[K\r\033[K")) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 0);
}

#if defined(_WIN32)
// Ctrl+Break stops a run after its last whole line, and the process ends as Ctrl+C ends a
// program on Windows. It is sent once out.txt has its first bytes, in the middle of a run of
// 2.5 GiB.
TEST(Signals, StopAfterTheLastWholeLine) {
    std::string strings;
    for (int i = 100; i < 140; ++i) strings += "w" + std::to_string(i) + "\n";
    const std::uintmax_t whole = std::uintmax_t{40 * 40 * 40 * 40 * 40} * (5 * 4 + 4 + 2);
    const TempFolder folder;
    folder.write("in.txt", strings);
    std::wstring commandLine = L"datatools chainmaker --blocks 5 --yes --quiet .";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    bool spawned = false;
    {
        const testing_support::CurrentFolder current(folder.path());
        // A process group of its own, so that Ctrl+Break reaches it alone.
        spawned =
            ::CreateProcessW(DatatoolsExe().c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                             CREATE_NEW_PROCESS_GROUP, nullptr, nullptr, &startup, &process);
    }
    ASSERT_TRUE(spawned);
    const auto written = [&] {
        std::error_code ec;
        const std::uintmax_t size = fs::file_size(folder / "out.txt", ec);
        return !ec && size > 0;
    };
    bool ended = false;
    while (!(ended = ::WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0) && !written()) {
    }
    DWORD status = 0;
    if (ended) {
        ::GetExitCodeProcess(process.hProcess, &status);
        if (status == 1)
            GTEST_SKIP() << "the disk of the temporary folder cannot hold a run long enough";
    }
    ASSERT_FALSE(ended) << "the run ended before Ctrl+Break";
    const bool sent = ::GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, process.dwProcessId);
    // Where there is no console to send it through (wine without one), the run goes on: it is
    // ended, and the check cannot be made here.
    if (!sent || ::WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.hProcess, 1);
        ::WaitForSingleObject(process.hProcess, INFINITE);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
        GTEST_SKIP() << "Ctrl+Break cannot be sent to a process here (no console)";
    }
    ::GetExitCodeProcess(process.hProcess, &status);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    EXPECT_EQ(status, 0xC000013Au);  // STATUS_CONTROL_C_EXIT
    const std::uintmax_t size = fs::file_size(folder / "out.txt");
    EXPECT_LT(size, whole);
    std::ifstream out(folder / "out.txt", std::ios::binary);
    out.seekg(-2, std::ios::end);
    std::string end(2, '\0');
    out.read(end.data(), 2);
    EXPECT_EQ(end, "\r\n") << size << " bytes";
}
#else
// Ctrl+C, kill and a closed terminal stop a run after its last whole line, and the process ends as
// the signal would have ended it (a shell shows 130, 143 and 129). Each signal is sent once out.txt
// has its first bytes, in the middle of a run of 2.5 GiB.
TEST(Signals, StopAfterTheLastWholeLine) {
    std::string strings;
    for (int i = 100; i < 140; ++i) strings += "w" + std::to_string(i) + "\n";
    const std::uintmax_t whole = std::uintmax_t{40 * 40 * 40 * 40 * 40} * (5 * 4 + 4 + 2);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        const TempFolder folder;
        folder.write("in.txt", strings);
        std::vector<std::string> argv = {DATATOOLS, "chainmaker", "--blocks", "5",
                                         "--yes",   "--quiet",    "."};
        std::vector<char*> argp;
        for (std::string& arg : argv) argp.push_back(arg.data());
        argp.push_back(nullptr);
        // The signals as a shell with job control leaves them, whatever this test was given.
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t defaults, none;
        sigemptyset(&defaults);
        for (const int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&defaults, s);
        sigemptyset(&none);
        posix_spawnattr_setsigdefault(&attributes, &defaults);
        posix_spawnattr_setsigmask(&attributes, &none);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        pid_t pid = 0;
        int spawned = 0;
        {
            const testing_support::CurrentFolder current(folder.path());
            spawned = posix_spawn(&pid, DATATOOLS, &actions, &attributes, argp.data(), environ);
        }
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
        ASSERT_EQ(spawned, 0);

        int status = 0;
        const auto written = [&] {
            std::error_code ec;
            const std::uintmax_t size = fs::file_size(folder / "out.txt", ec);
            return !ec && size > 0;
        };
        bool ended = false;
        while (!(ended = waitpid(pid, &status, WNOHANG) == pid) && !written())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (ended && WIFEXITED(status) && WEXITSTATUS(status) == 1)
            GTEST_SKIP() << "the disk of the temporary folder cannot hold a run long enough";
        ASSERT_FALSE(ended) << "the run ended before the signal";
        kill(pid, signal);
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;

        const std::uintmax_t size = fs::file_size(folder / "out.txt");
        EXPECT_LT(size, whole);
        std::ifstream out(folder / "out.txt", std::ios::binary);
        out.seekg(-2, std::ios::end);
        std::string end(2, '\0');
        out.read(end.data(), 2);
        EXPECT_EQ(end, "\r\n") << strsignal(signal) << ", " << size << " bytes";
    }
}
#endif

}  // namespace
