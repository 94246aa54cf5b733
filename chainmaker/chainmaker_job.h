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
#include "room.h"
#include "string_list.h"

namespace chainmaker {

inline constexpr std::string_view kInputName = "in.txt";
inline constexpr std::string_view kExcludeName = "exclude.txt";
inline constexpr std::string_view kOutputName = "out.txt";
// What a run shows when exclude.txt is asked for and cannot be read; the run stops unwritten.
inline constexpr std::string_view kExcludeMissingMessage = "Can't find the file exclude.txt";

// The memory a byte of a list file can take while it is read: a line longer than the reader's
// block is gathered in a buffer that doubles (the old and the new buffer at once), then copied
// into the list.
inline constexpr std::uint64_t kReadingBytesPerByte = 3;
// The memory a byte of in.txt can take in a run: in the list, in the members, and (in the
// longest string) up to six times in the prefix of the lines being formed (MemoryForWriting).
inline constexpr std::uint64_t kInputBytesPerByte = 8;

// Reads a list file: every line, less the spaces at both ends (tabs stay), that is not empty
// after that is appended to `list` and counted in `count` (entry number i, counted from 1, is
// list[i - 1]). Entries appended before a failure stay. A missing file is error 53; one that may
// not be read (or a folder) error 70; one whose size times `bytesPerByte` is more than
// `memoryRoom` (the bytes of memory the process can still get) error 7, before any line is read;
// a failed read error 57; more than 2147483647 entries error 6; memory running out
// std::bad_alloc.
void ReadList(const std::filesystem::path& path, StringList& list, rt::Counter32& count,
              std::uint64_t memoryRoom = rt::MemoryRoom(),
              std::uint64_t bytesPerByte = kReadingBytesPerByte);

// What writing needs to know of a list, or of an exclusion.
struct ListSize {
    std::uint64_t count = 0;
    std::uint64_t bytes = 0;    // line ends not counted
    std::uint64_t longest = 0;  // bytes of the longest string
};
ListSize SizeOfList(const StringList& list, std::int32_t count);

// The most memory that writing takes for the strings `list` joined by `separatorSize` bytes,
// with (when its count is not 0) an exclusion.
std::uint64_t MemoryForWriting(const ListSize& list, std::size_t separatorSize,
                               const ListSize& exclusion);

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
    // The bytes of memory the process can still get (rt::MemoryRoom); tests state their own.
    virtual std::uint64_t memoryRoom() { return rt::MemoryRoom(); }
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
// `options.exclude` is set, the separator, the memory check (error 7 when MemoryForWriting is
// more than the room left once the lists are read), the size check, then out.txt. A list file too
// large for the memory (ReadList) is error 7 also for exclude.txt, whose other failures the
// hooks take. Files are found in
// `folder` by rt::ResolveName. `lists`, when given, is where the lists are read into (appended
// to what it holds), for the caller to keep. Failures other than those the hooks take are thrown
// as run-time errors (std::bad_alloc when memory runs out).
Outcome Run(const std::filesystem::path& folder, const Options& options, RunHooks* hooks = nullptr,
            Lists* lists = nullptr);

}  // namespace chainmaker
