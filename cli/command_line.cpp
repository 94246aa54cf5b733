#include "command_line.h"

#include <getopt.h>

#include <algorithm>
#include <system_error>

#include "utf8_path.h"

#ifndef DATATOOLS_VERSION
#define DATATOOLS_VERSION "0"
#endif

namespace cli {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kBinningHelp =
    "Usage: datatools binning (--single | --pairs) [--yes] [--dry-run] [--quiet]\n"
    "         [FOLDER]...\n"
    "Count how many numbers of Data.txt fall into each bin between neighbouring\n"
    "cutoffs of bins.txt, and write the counts to Results.txt, all in FOLDER (the\n"
    "current directory when none is given); several FOLDERs are run one by one.\n"
    "\n"
    "      --single      single values: one number a line, one row of counts\n"
    "      --pairs       pairs of values: two numbers a line separated by a tab, a\n"
    "                    table of counts; the cutoffs of the first and the second\n"
    "                    value come from Bins1.txt and Bins2.txt when both exist,\n"
    "                    else both from bins.txt\n"
    "  -y, --yes         write a large Results.txt (over 10 GiB, or over half the\n"
    "                    free space) without asking; a run whose table of counts\n"
    "                    does not fit in memory, or whose Results.txt the disk\n"
    "                    cannot hold, is never started\n"
    "      --dry-run     say what a run would read and write, with the size of\n"
    "                    Results.txt, and write nothing\n"
    "  -q, --quiet       show no progress line\n"
    "  -h, --help        show this help and exit\n"
    "\n"
    "A number is read from the start of its line: blanks and tabs are skipped, also\n"
    "inside it (1 000 is 1000), d marks an exponent as e does (1d3 is 1000), and\n"
    "what follows is ignored (12 apples is 12); a line without one reads 0.\n";

constexpr std::string_view kChainmakerHelp =
    "Usage: datatools chainmaker [--blocks LIST] [--separator space|tab|none]\n"
    "         [--separator-text TEXT] [--exclude] [--yes] [--dry-run] [--quiet]\n"
    "         [FOLDER]...\n"
    "Write the strings of in.txt, and every combination of two to six of them, to\n"
    "out.txt, all in FOLDER (the current directory when none is given); several\n"
    "FOLDERs are run one by one.\n"
    "\n"
    "      --blocks LIST      the blocks to write, as digits or a comma list: 1 the\n"
    "                         list itself, 2 to 6 the combinations of that many\n"
    "                         (default 123; an empty LIST writes an empty out.txt)\n"
    "      --separator NAME   what joins the members: space (default), tab or none\n"
    "      --separator-text TEXT\n"
    "                         join the members with TEXT instead (any bytes, empty\n"
    "                         too); the last of the two separator options counts\n"
    "      --exclude          leave out the lines listed in exclude.txt\n"
    "  -y, --yes              write a large run (over 10 GiB, or over half the free\n"
    "                         space) without asking; a run the disk cannot hold is\n"
    "                         never started\n"
    "      --dry-run          say what a run would read and write, with the size of\n"
    "                         out.txt, and write nothing\n"
    "  -q, --quiet            show no progress line\n"
    "  -h, --help             show this help and exit\n";

constexpr std::string_view kSplitwordHelp =
    "Usage: datatools splitword [--threshold TEXT] [--yes] [--dry-run] [--quiet]\n"
    "         [FOLDER]...\n"
    "Read the word list in.txt, keep the words at least as long as the threshold,\n"
    "list them in Debug.txt, and write to out.txt every kept word that is a kept word\n"
    "followed by another, with its two members; all in FOLDER (the current directory\n"
    "when none is given); several FOLDERs are run one by one.\n"
    "\n"
    "      --threshold TEXT  the threshold length, read as the window reads its box:\n"
    "                        the number at the start of TEXT, blanks, tabs and line\n"
    "                        feeds skipped, d as an exponent mark like e (3x is 3,\n"
    "                        abc is 0, 1d1 is 10; default 2)\n"
    "  -y, --yes             write a large out.txt (over 10 GiB, or over half the\n"
    "                        free space) without asking; a run the disk cannot hold\n"
    "                        is never started\n"
    "      --dry-run         say what a run would read and write, with the size of\n"
    "                        out.txt (found by searching the list), and write\n"
    "                        nothing\n"
    "  -q, --quiet           show no progress line\n"
    "  -h, --help            show this help and exit\n";

constexpr std::string_view kMainHelp =
    "Usage: datatools COMMAND [OPTION]... [FOLDER]...\n"
    "Run the job of Binning, Chainmaker or Splitword on the files of FOLDER (the\n"
    "current directory when none is given) without a window: the same files are\n"
    "read and written with the same bytes. Several FOLDERs are run one by one, each\n"
    "as if alone.\n"
    "\n"
    "Commands:\n"
    "  binning (--single | --pairs) [--yes]\n"
    "                                   Data.txt and bins.txt into Results.txt\n"
    "  chainmaker [--blocks LIST] [--separator space|tab|none]\n"
    "             [--separator-text TEXT] [--exclude]\n"
    "                                   in.txt (and exclude.txt) into out.txt\n"
    "  splitword [--threshold TEXT]     in.txt into Debug.txt and out.txt\n"
    "\n"
    "Options may come in any order, before or after FOLDER; after -- every argument\n"
    "is a FOLDER (or write ./-name for a folder whose name begins with -).\n"
    "      --dry-run  say what a run would read and write, with its sizes, one fact\n"
    "                 a line on standard output, and write nothing\n"
    "  -q, --quiet    show no progress line (it shows only on a terminal, for runs\n"
    "                 longer than a second)\n"
    "  -h, --help     show this help, or with a COMMAND its help, and exit\n"
    "      --version  show the version and exit\n"
    "\n"
    "A failure is one line on standard error, naming the file and the reason:\n"
    "  datatools: chainmaker: words/in.txt: file not found (error 53)\n"
    "\n"
    "Exit status:\n"
    "  0  every output is complete (with --dry-run: every folder's facts are out)\n"
    "  1  a run failed, or a large run was declined; the files of its folder are\n"
    "     as the window leaves them\n"
    "  2  the command line was wrong; nothing was run\n"
    "\n"
    "See 'datatools COMMAND --help' for the options of a command.\n";

// Option codes above the range of characters.
enum : int {
    kOptSingle = 256,
    kOptPairs,
    kOptBlocks,
    kOptSeparator,
    kOptSeparatorText,
    kOptExclude,
    kOptThreshold,
    kOptVersion,
    kOptDryRun,
};

constexpr option kBinningOptions[] = {{"single", no_argument, nullptr, kOptSingle},
                                      {"pairs", no_argument, nullptr, kOptPairs},
                                      {"yes", no_argument, nullptr, 'y'},
                                      {"dry-run", no_argument, nullptr, kOptDryRun},
                                      {"quiet", no_argument, nullptr, 'q'},
                                      {"help", no_argument, nullptr, 'h'},
                                      {"version", no_argument, nullptr, kOptVersion},
                                      {nullptr, 0, nullptr, 0}};
constexpr option kChainmakerOptions[] = {
    {"blocks", required_argument, nullptr, kOptBlocks},
    {"separator", required_argument, nullptr, kOptSeparator},
    {"separator-text", required_argument, nullptr, kOptSeparatorText},
    {"exclude", no_argument, nullptr, kOptExclude},
    {"yes", no_argument, nullptr, 'y'},
    {"dry-run", no_argument, nullptr, kOptDryRun},
    {"quiet", no_argument, nullptr, 'q'},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, kOptVersion},
    {nullptr, 0, nullptr, 0}};
constexpr option kSplitwordOptions[] = {{"threshold", required_argument, nullptr, kOptThreshold},
                                        {"yes", no_argument, nullptr, 'y'},
                                        {"dry-run", no_argument, nullptr, kOptDryRun},
                                        {"quiet", no_argument, nullptr, 'q'},
                                        {"help", no_argument, nullptr, 'h'},
                                        {"version", no_argument, nullptr, kOptVersion},
                                        {nullptr, 0, nullptr, 0}};

Request Misuse(Command command, const std::string& what) {
    Request request;
    request.kind = Request::Kind::Misuse;
    request.command = command;
    const std::string name =
        command == Command::None ? "datatools" : "datatools " + std::string(CommandName(command));
    const std::string prefix = command == Command::None
                                   ? "datatools: "
                                   : "datatools: " + std::string(CommandName(command)) + ": ";
    request.problem = prefix + what + "; see '" + name + " --help'";
    return request;
}

// The option that `arg` ("--name" or "--name=value") stands for as getopt_long matches it: the
// option of that name, else the only one whose name begins with it; null when none or several.
const option* LongOption(const option* options, std::string_view arg) {
    const std::string_view name = arg.substr(2, arg.find('=') - 2);
    const option* found = nullptr;
    int matches = 0;
    for (const option* o = options; o->name != nullptr; ++o) {
        const std::string_view candidate = o->name;
        if (candidate == name) return o;
        if (candidate.starts_with(name)) {
            found = o;
            ++matches;
        }
    }
    return matches == 1 ? found : nullptr;
}

// The first argument that begins with a single "-" and is not a group of short options ("-qy"),
// which getopt would take apart letter by letter ("-p03/"); empty when there is none. Values of
// options and the arguments after "--" are not looked at.
std::string NotAShortOption(const std::vector<std::string>& args, const option* options) {
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--") break;
        if (arg.starts_with("--")) {
            const option* o = LongOption(options, arg);
            if (o && o->has_arg == required_argument && arg.find('=') == std::string::npos) ++i;
            continue;
        }
        if (arg.size() >= 2 && arg[0] == '-' &&
            arg.find_first_not_of("hqy", 1) != std::string::npos)
            return arg;
    }
    return {};
}

// "123", "1,2,3", "" (no block): the ticked blocks.
bool ReadBlocks(std::string_view list, bool (&blocks)[chainmaker::kMaxMembers]) {
    std::fill(std::begin(blocks), std::end(blocks), false);
    for (const char c : list) {
        if (c == ',') continue;
        if (c < '1' || c > '0' + chainmaker::kMaxMembers) return false;
        blocks[c - '1'] = true;
    }
    return true;
}

}  // namespace

std::string_view CommandName(Command command) {
    switch (command) {
        case Command::Binning: return "binning";
        case Command::Chainmaker: return "chainmaker";
        case Command::Splitword: return "splitword";
        case Command::None: break;
    }
    return "";
}

std::string HelpText(Command command) {
    switch (command) {
        case Command::Binning: return std::string(kBinningHelp);
        case Command::Chainmaker: return std::string(kChainmakerHelp);
        case Command::Splitword: return std::string(kSplitwordHelp);
        case Command::None: break;
    }
    return std::string(kMainHelp);
}

std::string VersionText() {
    return "datatools " DATATOOLS_VERSION "\n";
}

Request Parse(const std::vector<std::string>& args) {
    if (args.empty()) return Misuse(Command::None, "no command given");
    const std::string& first = args[0];
    if (first == "-h" || first == "--help") {
        Request request;
        request.kind = Request::Kind::Help;
        return request;
    }
    if (first == "--version") {
        Request request;
        request.kind = Request::Kind::Version;
        return request;
    }
    Request request;
    const option* options = nullptr;
    if (first == "binning") {
        request.command = Command::Binning;
        options = kBinningOptions;
    } else if (first == "chainmaker") {
        request.command = Command::Chainmaker;
        options = kChainmakerOptions;
    } else if (first == "splitword") {
        request.command = Command::Splitword;
        options = kSplitwordOptions;
    } else if (first.starts_with("-")) {
        return Misuse(Command::None, "the command comes first, not '" + first + "'");
    } else {
        return Misuse(Command::None, "no command '" + first + "'");
    }
    const Command command = request.command;
    if (const std::string odd = NotAShortOption(args, options); !odd.empty())
        return Misuse(command, "unknown option '" + odd + "' (to name a folder that begins with " +
                                   "'-', write ./" + odd + ")");

    // getopt_long wants writable C strings, the command in the place of the program's name.
    std::vector<std::string> copies(args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& copy : copies) argv.push_back(copy.data());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(copies.size());

    std::vector<std::string> positional;
    bool modeChosen = false;
    // "-" first: arguments that are no option come back in their place, so that FOLDER may stand
    // anywhere whatever POSIXLY_CORRECT says; ":" reports a missing value apart.
    optind = 0;  // start afresh (glibc)
    opterr = 0;
    for (;;) {
        const int code = getopt_long(argc, argv.data(), "-:hqy", options, nullptr);
        if (code == -1) break;
        // The argument just read (getopt has moved past it).
        const std::string& arg = copies[std::clamp(optind - 1, 0, argc - 1)];
        switch (code) {
            case 1: positional.emplace_back(optarg); break;
            case 'h': request.kind = Request::Kind::Help; break;
            case kOptVersion: request.kind = Request::Kind::Version; break;
            case 'q': request.quiet = true; break;
            case 'y': request.yes = true; break;
            case kOptDryRun: request.dryRun = true; break;
            case kOptSingle:
            case kOptPairs:
                // As in the window's group of two: the one chosen last counts.
                request.mode =
                    code == kOptPairs ? binning::Mode::PairsOfValues : binning::Mode::SingleValues;
                modeChosen = true;
                break;
            case kOptBlocks:
                if (!ReadBlocks(optarg, request.chainmaker.blocks))
                    return Misuse(
                        command, "--blocks takes digits 1 to 6, not '" + std::string(optarg) + "'");
                break;
            case kOptSeparator: {
                const std::string_view name = optarg;
                if (name == "space") {
                    request.chainmaker.separator = " ";
                } else if (name == "tab") {
                    request.chainmaker.separator = "\t";
                } else if (name == "none") {
                    request.chainmaker.separator.clear();
                } else {
                    return Misuse(command, "--separator is space, tab or none, not '" +
                                               std::string(name) +
                                               "' (other text: --separator-text TEXT)");
                }
                break;
            }
            case kOptSeparatorText: request.chainmaker.separator = optarg; break;
            case kOptExclude: request.chainmaker.exclude = true; break;
            case kOptThreshold: request.threshold = optarg; break;
            case ':':
                // A value given to an option that takes none ("--single=1"), as MinGW's getopt
                // reports it.
                if (arg.starts_with("--") && arg.find('=') != std::string::npos)
                    return Misuse(command, "'" + arg.substr(0, arg.find('=')) + "' takes no value");
                return Misuse(command, "'" + arg + "' needs a value");
            default: {
                const bool isLong = arg.starts_with("--");
                const std::string name = isLong ? arg.substr(0, arg.find('=')) : arg;
                if (isLong && optopt != 0) return Misuse(command, "'" + name + "' takes no value");
                if (!isLong && optopt > 0 && optopt < 256)
                    return Misuse(command, "unknown option '-" +
                                               std::string(1, static_cast<char>(optopt)) + "'");
                return Misuse(command, "unknown option '" + name + "'");
            }
        }
    }
    // Arguments after "--" are no options.
    for (int i = std::max(optind, 1); i < argc; ++i) positional.push_back(copies[i]);

    if (request.kind != Request::Kind::Run) return request;
    if (command == Command::Binning && !modeChosen)
        return Misuse(command, "choose --single or --pairs");
    for (const std::string& name : positional) {
        if (name.empty()) return Misuse(command, "a FOLDER name is empty");
        std::error_code ec;
        const fs::path folder = rt::PathFromUtf8(name);
        if (!fs::is_directory(folder, ec)) return Misuse(command, "no folder '" + name + "'");
        request.folders.push_back(folder);
    }
    return request;
}

}  // namespace cli
