#pragma once
// Chainmaker's job, without any window: reading the list of strings and the list of lines to
// leave out, and writing every combination of one to six strings of the list to out.txt
// (combination_writer.h). The window, the command line and the benchmark all run it through Run.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "chainmaker_files.h"
#include "combination_writer.h"
#include "counter.h"
#include "output_size.h"
#include "room.h"
#include "run_events.h"
#include "string_list.h"

namespace chainmaker {

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

// The settings of a run: the blocks wanted (block k is blocks[k - 1]), the separator (settled
// by the caller before the run), whether the lines of exclude.txt are left out, the room for
// out.txt and for the lists, and whom the texts are worded for.
struct Options {
    bool blocks[kMaxMembers] = {true, true, true, false, false, false};
    std::string separator = " ";
    bool exclude = false;
    rt::Room room;
    rt::Wording wording = rt::Wording::Window;
};

// What a run has read: the strings of in.txt and the lines of exclude.txt, each with its count.
struct Lists {
    StringList input;
    rt::Counter32 inputCount;
    StringList exclude;
    rt::Counter32 excludeCount;
};

enum class Outcome { Written, ExcludeUnreadable, SizeRefused };

struct Result {
    Outcome outcome = Outcome::Written;
    Lists lists;  // as the run read them
};

// A whole run, with the window's steps in its order: in.txt, then exclude.txt when
// `options.exclude` is set, the memory check (error 7 when MemoryForWriting is more than the room
// left once the lists are read), the size check, then out.txt. Nothing changes the options on
// the way. exclude.txt that cannot be read is refused (kExcludeMissingMessage, with its failure
// as the cause) and the run stops with out.txt untouched, but for a file too large for the memory
// (ReadList), which is error 7 as for in.txt. A run that cannot fit is refused, a large one asked
// about (rt::SizeAccepted). Just before out.txt is created comes a progress call of 0 bytes of
// the most the run will write, then one after every chunk written; what they throw stops the
// writing with out.txt holding whole lines. Files are found in `folder` by rt::ResolveName.
// Failures are thrown as run-time errors (std::bad_alloc when memory runs out); one while out.txt
// is written names out.txt in its detail.
Result Run(const std::filesystem::path& folder, const Options& options, rt::RunEvents& events);

}  // namespace chainmaker
