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

// The helps an option is part of: a command's (and its getopt table), or the main help's list.
enum : unsigned {
    kMain = 1,
    kBinning = 2,
    kChainmaker = 4,
    kSplitword = 8,
    kCommands = kBinning | kChainmaker | kSplitword,
};

unsigned HelpOf(Command command) {
    switch (command) {
        case Command::Binning: return kBinning;
        case Command::Chainmaker: return kChainmaker;
        case Command::Splitword: return kSplitword;
        case Command::None: break;
    }
    return kMain;
}

struct OptionRow {
    unsigned helps;         // where it is taken and shown
    const char* name;       // "--name"
    char letter;            // "-y", or 0
    const char* value;      // the name of its value ("LIST"), or nullptr when it takes none
    int code;               // what getopt_long gives for it
    std::string_view text;  // its line in the help, wrapped there; empty: not shown
};

// Every option of the command line, in the order of the helps. An option whose text differs
// between helps has a row for each.
constexpr OptionRow kOptionRows[] = {
    {kBinning, "single", 0, nullptr, kOptSingle,
     "single values: one number a line, one row of counts"},
    {kBinning, "pairs", 0, nullptr, kOptPairs,
     "pairs of values: two numbers a line separated by a tab, a table of counts; the cutoffs of "
     "the first and the second value come from Bins1.txt and Bins2.txt when both exist, else "
     "both from bins.txt"},
    {kChainmaker, "blocks", 0, "LIST", kOptBlocks,
     "the blocks to write, as digits or a comma list: 1 the list itself, 2 to 6 the "
     "combinations of that many (default 123; an empty LIST writes an empty out.txt)"},
    {kChainmaker, "separator", 0, "NAME", kOptSeparator,
     "what joins the members: space (default), tab or none"},
    {kChainmaker, "separator-text", 0, "TEXT", kOptSeparatorText,
     "join the members with TEXT instead (any bytes, empty too); the last of the two separator "
     "options counts"},
    {kChainmaker, "exclude", 0, nullptr, kOptExclude, "leave out the lines listed in exclude.txt"},
    {kSplitword, "threshold", 0, "TEXT", kOptThreshold,
     "the threshold length, read as the window reads its box: the number at the start of TEXT, "
     "blanks, tabs and line feeds skipped, d as an exponent mark like e (3x is 3, abc is 0, 1d1 "
     "is 10; default 2)"},
    {kBinning, "yes", 'y', nullptr, 'y',
     "write a large Results.txt (over 10 GiB, or over half the free space) without asking; a "
     "run whose table of counts does not fit in memory, or whose Results.txt the disk cannot "
     "hold, is never started"},
    {kChainmaker, "yes", 'y', nullptr, 'y',
     "write a large run (over 10 GiB, or over half the free space) without asking; a run the "
     "disk cannot hold is never started"},
    {kSplitword, "yes", 'y', nullptr, 'y',
     "write a large out.txt (over 10 GiB, or over half the free space) without asking; a run "
     "the disk cannot hold is never started"},
    {kBinning, "dry-run", 0, nullptr, kOptDryRun,
     "say what a run would read and write, with the size of Results.txt, and write nothing"},
    {kChainmaker, "dry-run", 0, nullptr, kOptDryRun,
     "say what a run would read and write, with the size of out.txt, and write nothing"},
    {kSplitword, "dry-run", 0, nullptr, kOptDryRun,
     "say what a run would read and write, with the size of out.txt (found by searching the "
     "list), and write nothing"},
    {kMain, "dry-run", 0, nullptr, kOptDryRun,
     "say what a run would read and write, with its sizes, one fact a line on standard output, "
     "and write nothing"},
    {kCommands, "quiet", 'q', nullptr, 'q', "show no progress line"},
    {kMain, "quiet", 'q', nullptr, 'q',
     "show no progress line (it shows only on a terminal, for runs longer than a second)"},
    {kCommands, "help", 'h', nullptr, 'h', "show this help and exit"},
    {kMain, "help", 'h', nullptr, 'h', "show this help, or with a COMMAND its help, and exit"},
    {kCommands, "version", 0, nullptr, kOptVersion, ""},
    {kMain, "version", 0, nullptr, kOptVersion, "show the version and exit"},
};

// The help around the list of options, and the column where the options' texts begin.
struct HelpPage {
    std::string_view head;
    std::size_t column;
    std::string_view tail;
};

constexpr HelpPage kBinningHelp = {
    "Usage: datatools binning (--single | --pairs) [--yes] [--dry-run] [--quiet]\n"
    "         [FOLDER]...\n"
    "Count how many numbers of Data.txt fall into each bin between neighbouring\n"
    "cutoffs of bins.txt, and write the counts to Results.txt, all in FOLDER (the\n"
    "current directory when none is given); several FOLDERs are run one by one.\n"
    "\n",
    20,
    "\n"
    "A number is read from the start of its line: blanks and tabs are skipped, also\n"
    "inside it (1 000 is 1000), d marks an exponent as e does (1d3 is 1000), and\n"
    "what follows is ignored (12 apples is 12); a line without one reads 0.\n"};

constexpr HelpPage kChainmakerHelp = {
    "Usage: datatools chainmaker [--blocks LIST] [--separator space|tab|none]\n"
    "         [--separator-text TEXT] [--exclude] [--yes] [--dry-run] [--quiet]\n"
    "         [FOLDER]...\n"
    "Write the strings of in.txt, and every combination of two to six of them, to\n"
    "out.txt, all in FOLDER (the current directory when none is given); several\n"
    "FOLDERs are run one by one.\n"
    "\n",
    25, ""};

constexpr HelpPage kSplitwordHelp = {
    "Usage: datatools splitword [--threshold TEXT] [--yes] [--dry-run] [--quiet]\n"
    "         [FOLDER]...\n"
    "Read the word list in.txt, keep the words at least as long as the threshold,\n"
    "list them in Debug.txt, and write to out.txt every kept word that is a kept word\n"
    "followed by another, with its two members; all in FOLDER (the current directory\n"
    "when none is given); several FOLDERs are run one by one.\n"
    "\n",
    24, ""};

constexpr HelpPage kMainHelp = {
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
    "is a FOLDER (or write ./-name for a folder whose name begins with -).\n",
    17,
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
    "See 'datatools COMMAND --help' for the options of a command.\n"};

// Help lines stay within this many characters.
constexpr std::size_t kHelpWidth = 79;

// The lines of `helps`' options: "  -y, --yes" or "      --name VALUE", then its text from
// `column` on (on a line of its own when the name reaches the column), wrapped at word breaks.
std::string OptionLines(unsigned helps, std::size_t column) {
    std::string lines;
    for (const OptionRow& row : kOptionRows) {
        if (!(row.helps & helps) || row.text.empty()) continue;
        std::string line = row.letter ? std::string("  -") + row.letter + ", " : "      ";
        line += std::string("--") + row.name;
        if (row.value) line += std::string(" ") + row.value;
        if (line.size() + 2 > column) {
            lines += line + "\n";
            line.clear();
        }
        line.resize(column, ' ');
        std::size_t used = 0;  // characters of the text on this line
        for (std::size_t at = 0; at < row.text.size();) {
            const std::size_t end = std::min(row.text.find(' ', at), row.text.size());
            const std::string_view word = row.text.substr(at, end - at);
            if (used > 0 && column + used + 1 + word.size() > kHelpWidth) {
                lines += line + "\n";
                line.assign(column, ' ');
                used = 0;
            }
            if (used > 0) line += ' ', ++used;
            line += word;
            used += word.size();
            at = end + 1;
        }
        lines += line + "\n";
    }
    return lines;
}

// The long options of `command` for getopt_long, ended by a row of zeros.
std::vector<option> LongOptions(Command command) {
    std::vector<option> options;
    for (const OptionRow& row : kOptionRows)
        if (row.helps & HelpOf(command))
            options.push_back(
                {row.name, row.value ? required_argument : no_argument, nullptr, row.code});
    options.push_back({nullptr, 0, nullptr, 0});
    return options;
}

// The letters of the short options ("yqh"), each once.
std::string ShortOptions() {
    std::string letters;
    for (const OptionRow& row : kOptionRows)
        if (row.letter && letters.find(row.letter) == std::string::npos) letters += row.letter;
    return letters;
}

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
            arg.find_first_not_of(ShortOptions(), 1) != std::string::npos)
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
    const HelpPage& page = command == Command::Binning      ? kBinningHelp
                           : command == Command::Chainmaker ? kChainmakerHelp
                           : command == Command::Splitword  ? kSplitwordHelp
                                                            : kMainHelp;
    return std::string(page.head) + OptionLines(HelpOf(command), page.column) +
           std::string(page.tail);
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
    if (first == "binning") {
        request.command = Command::Binning;
    } else if (first == "chainmaker") {
        request.command = Command::Chainmaker;
    } else if (first == "splitword") {
        request.command = Command::Splitword;
    } else if (first.starts_with("-")) {
        return Misuse(Command::None, "the command comes first, not '" + first + "'");
    } else {
        return Misuse(Command::None, "no command '" + first + "'");
    }
    const Command command = request.command;
    const std::vector<option> longOptions = LongOptions(command);
    const option* const options = longOptions.data();
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
    const std::string shortOptions = "-:" + ShortOptions();
    for (;;) {
        const int code = getopt_long(argc, argv.data(), shortOptions.c_str(), options, nullptr);
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
