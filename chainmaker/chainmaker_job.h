#pragma once
// Chainmaker's job, without any window: reading the list of strings and the list of lines to
// leave out, and writing every combination of one to six strings of the list to out.txt
// (combination_writer.h). The window, the command line and the benchmark all run it through Run.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "combination_writer.h"
#include "counter.h"
#include "output_size.h"
#include "string_list.h"

namespace chainmaker {

inline constexpr std::string_view kInputName = "in.txt";
inline constexpr std::string_view kExcludeName = "exclude.txt";
inline constexpr std::string_view kOutputName = "out.txt";
// What a run shows when exclude.txt is asked for and cannot be read; the run stops unwritten.
inline constexpr std::string_view kExcludeMissingMessage = "Can't find the file exclude.txt";

// Reads a list file: every line, less the spaces at both ends (tabs stay), that is not empty
// after that is appended to `list` and counted in `count` (entry number i, counted from 1, is
// list[i - 1]). Entries appended before a failure stay. A missing file is error 53; one that may
// not be read (or a folder) error 70; a failed read error 57; more than 2147483647 entries
// error 6; memory running out std::bad_alloc.
void ReadList(const std::filesystem::path& path, StringList& list, rt::Counter32& count);

// The settings of a run: the blocks wanted (block k is blocks[k - 1]), the separator, and
// whether the lines of exclude.txt are left out.
struct Options {
    bool blocks[kMaxMembers] = {true, true, true, false, false, false};
    std::string separator = " ";
    bool exclude = false;
};

// What a run has read: the strings of in.txt and the lines of exclude.txt, each with its count.
struct Lists {
    StringList input;
    rt::Counter32 inputCount;
    StringList exclude;
    rt::Counter32 excludeCount;
};

// What a caller adds to a run. Each default is what a run without a window does.
class RunHooks {
  public:
    virtual ~RunHooks() = default;
    // Just before exclude.txt is read.
    virtual void readingExclude() {}
    // exclude.txt cannot be read: true when the caller has told so, and the run then stops with
    // out.txt untouched; false lets the failure go on.
    virtual bool excludeUnreadable() { return false; }
    // Once the lists are read: the separator, given the options' one. A caller that settles it
    // only at this step (so that a run stopped before settles none) returns its own.
    virtual std::string separator(const std::string& chosen) { return chosen; }
    // Before out.txt is touched: whether a run that writes `size` into `outPath` goes ahead;
    // `bounded` when excluded lines may make it smaller.
    virtual bool sizeAccepted(const OutputSize& size, const std::filesystem::path& outPath,
                              bool bounded) {
        (void)size, (void)outPath, (void)bounded;
        return true;
    }
    // Just before out.txt is created, with the most the run will write.
    virtual void writing(BigCount expected) { (void)expected; }
    // As WriteProgress: what it throws stops the writing, out.txt holding whole lines.
    virtual void written(std::uint64_t bytes) { (void)bytes; }
};

enum class Outcome { Written, ExcludeUnreadable, SizeRefused };

// A whole run, with the window's steps in its order: in.txt, then exclude.txt when
// `options.exclude` is set, the separator, the size check, then out.txt. Files are found in
// `folder` by rt::ResolveName. `lists`, when given, is where the lists are read into (appended
// to what it holds), for the caller to keep. Failures other than those the hooks take are thrown
// as run-time errors (std::bad_alloc when memory runs out).
Outcome Run(const std::filesystem::path& folder, const Options& options, RunHooks* hooks = nullptr,
            Lists* lists = nullptr);

}  // namespace chainmaker
