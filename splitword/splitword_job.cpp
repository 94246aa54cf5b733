#include "splitword_job.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string_view>
#include <system_error>

#include "files.h"
#include "folder_bounds.h"
#include "room.h"
#include "runtime_error.h"
#include "search/block_output.h"
#include "search/find_count.h"
#include "search/parallel_search.h"
#include "splitword_files.h"
#include "stop_signals.h"
#include "textfile.h"

namespace splitword {
namespace {

using search::CountFinds;
using search::DirectSearch;
using search::FindWriter;
using search::ParallelSearch;
using search::SplitBound;
using search::WordIndex;

constexpr std::string_view kHeader = "Possible compound\tFirst member\tSecond member";
constexpr std::size_t kHeaderBytes = kHeader.size() + 2;  // with its CR LF

// The most memory the index takes for each word: the word's hash and text number while it is
// built, its position, its text's entry, at most four slots (a table of twice as many slots as
// texts, rounded up to a power of two) and its bits of the filter; and what every array may take
// beyond its size, the search's blocks and the threads' own buffers.
constexpr std::uint64_t kIndexBytesPerWord = 8 + 4 + 4 + 8 + 4 * 16 + 4;
constexpr std::uint64_t kSearchBytes = std::uint64_t{64} << 20;

// Error 7 now, when the index of the list would take more memory than the process can get:
// the kernel would otherwise end the process on the way.
void CheckIndexMemory(const WordList& words, const Options& options, std::size_t blockBytes) {
    const Tuning& tuning = options.tuning;
    const std::uint64_t blocks = (std::uint64_t{tuning.searchThreads} + 8) * blockBytes;
    const std::uint64_t needed =
        static_cast<std::uint64_t>(words.count()) * kIndexBytesPerWord + kSearchBytes + blocks;
    if (const std::uint64_t room = options.room.memory(); needed > room)
        rt::ThrowTooLargeForMemory(std::string(kInputName), 0, room);
}

// What out.txt may take once Debug.txt is written: the room given, less the bytes of the new
// Debug.txt beyond those of the one it replaces.
std::optional<std::uint64_t> RoomAfterDebugList(std::optional<std::uint64_t> room,
                                                const std::filesystem::path& folder,
                                                const WordList& words) {
    if (!room) return room;
    const std::filesystem::path debug = rt::ResolveName(folder, kDebugName);
    std::error_code ec;
    std::uint64_t freed = 0;
    if (std::filesystem::is_regular_file(debug, ec) &&
        std::filesystem::hard_link_count(debug, ec) == 1 && !ec) {
        freed = std::filesystem::file_size(debug, ec);
        if (ec) freed = 0;
    }
    const std::uint64_t taken = words.lines().size();
    const std::uint64_t total = *room + freed;
    return total > taken ? total - taken : 0;
}

// The most bytes of lines that the search may hold before out.txt is opened (and a small share
// of the memory the process can get): enough for the finds of an ordinary list of a million
// words, little enough that a list whose finds would fill a disk is soon counted instead.
std::size_t HoldLimit(const rt::Room& room) {
    return static_cast<std::size_t>(
        std::min<std::uint64_t>(std::uint64_t{32} << 20, room.memory() / 8));
}

// Whether the run goes ahead: a bound settles it for an ordinary list. Where it does not, the
// search threads (when there are any) go on, their lines held while they are few enough that
// they tell the size; beyond that, or without threads, the finds are counted. A size that does
// not fit is refused, a large one asked about; a run that only measures keeps the size in
// `result` and stops.
bool SizeAccepted(const std::filesystem::path& folder, const WordList& words,
                  const SplitBound& bound, const WordIndex& index, ParallelSearch* parallel,
                  const Options& options, rt::RunEvents& events, Result& result) {
    const std::filesystem::path outPath = rt::ResolveName(folder, kOutputName);
    const std::optional<std::uint64_t> room =
        RoomAfterDebugList(options.room.forOutput(outPath), folder, words);
    if (!options.measureOnly &&
        rt::JudgeSize(bound.atMost(index.mostOccurrences(), kHeaderBytes).bytes, room) ==
            rt::SizeVerdict::Fits)
        return true;
    OutputSize size;
    if (parallel && parallel->holdFinds(HoldLimit(options.room), events)) {
        size = parallel->held();
        size.lines += 1;
        size.bytes += kHeaderBytes;
    } else {
        size = CountFinds(words, index, kHeaderBytes);
    }
    if (options.measureOnly) {
        result.measured = size;
        return false;
    }
    const bool window = options.wording == rt::Wording::Window;
    return rt::SizeAccepted(
        events, size.bytes, room, outPath,
        [&](std::uint64_t room) {
            return TooLargeMessage(size, room, window ? kTooLargeAdvice : kTooLargeLine);
        },
        [&] { return LargeMessage(size, room, window ? kLargeAnswers : std::string_view()); });
}

}  // namespace

Result Run(const std::filesystem::path& folder, const Options& options, rt::RunEvents& events) {
    const rt::RunFiles files;
    const Tuning& tuning = options.tuning;
    const WordList words = ReadWordList(folder, options.threshold);
    const std::size_t blockBytes = std::max<std::size_t>(tuning.blockBytes, 1);
    CheckIndexMemory(words, options, blockBytes);
    Result result;
    result.wordCount = words.count();
    std::unique_ptr<ParallelSearch> parallel;
    // Threads for a list of one segment or less would only cost their start.
    if (tuning.searchThreads > 0 && words.count() > std::max(tuning.segmentWords, 1)) {
        try {
            parallel = std::make_unique<ParallelSearch>(words, tuning, blockBytes);
        } catch (const std::system_error&) {
            // No thread to be had: the search runs here.
        }
    }
    // Here a block is written as soon as it is full: a small one does as well.
    std::optional<DirectSearch> direct;
    if (!parallel)
        direct.emplace(words, std::min<std::size_t>(blockBytes, std::size_t{64} << 10),
                       tuning.hashSeed);
    // The bound is worked out while the threads build the index.
    const SplitBound bound(words);
    if (!SizeAccepted(folder, words, bound, parallel ? parallel->index() : direct->index(),
                      parallel.get(), options, events, result)) {
        result.sizeRefused = true;
        return result;
    }

    // A stop asked for by a signal before this point writes neither file.
    rt::ThrowIfStopRequested();
    WriteDebugList(folder, words);
    rt::LineWriter out(rt::ResolveName(folder, kOutputName));
    out.printLine(kHeader);
    FindWriter writer(out, events, words.count());
    result.findCount = parallel ? parallel->writeFinds(writer) : direct->writeFinds(writer);
    out.close();
    return result;
}

}  // namespace splitword
