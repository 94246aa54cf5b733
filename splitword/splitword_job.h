#pragma once
// The Splitword run without a window: read the word list from in.txt, keep the words at least
// as long as the threshold, list them in Debug.txt, and write to out.txt every kept word that is
// a kept word followed by another kept word, with its two members.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "output_size.h"
#include "word_list.h"

namespace rt {
class LineWriter;
}

namespace splitword {

// Told how the run goes on. The default does nothing. Calls come on the thread that called
// Run, in the order of the run.
class Progress {
  public:
    virtual ~Progress() = default;
    // Just before in.txt is opened.
    virtual void readingInput() {}
    // For every hundredth word, in order: word `index` (from 1) of `count` is about to be
    // written. The search hands its lines over in blocks of many words (from threads of its
    // own, which run ahead, unless Tuning or a short list keeps it on the calling thread); the
    // calls for the words of a block come just before the block is written, so that no line of
    // word `index` or of a later word has reached out.txt yet.
    virtual void workingOn(std::int32_t index, std::int32_t count) {
        (void)index;
        (void)count;
    }

    // The size check, once the list is read and before Debug.txt is written. First: the bytes
    // that out.txt (given by its path) may take, what its disk has free for it; nullopt where
    // there is nothing to compare with (the default). The run takes off what Debug.txt will add.
    virtual std::optional<std::uint64_t> roomFor(const std::filesystem::path& outPath) {
        (void)outPath;
        return std::nullopt;
    }
    // out.txt would be larger than `room`: the run stops, having written nothing.
    virtual void tooLarge(const OutputSize& size, std::uint64_t room) {
        (void)size;
        (void)room;
    }
    // out.txt would be large (rt::JudgeSize): whether the run goes ahead (the default does); a
    // run that does not writes nothing.
    virtual bool largeAccepted(const OutputSize& size, std::optional<std::uint64_t> room) {
        (void)size;
        (void)room;
        return true;
    }
    // A run that only measures: true has the size of out.txt worked out in full, as for a list
    // whose bound does not settle it, and handed to `measured`; the run then stops as a refused
    // one does, having written nothing.
    virtual bool measureOnly() { return false; }
    virtual void measured(const OutputSize& size) { (void)size; }
};

// How the search is carried out. Every choice writes the same bytes and makes the same progress
// calls; tests use small blocks and segments to reach every boundary.
struct Tuning {
    // Threads that build the index and search while the calling thread writes Debug.txt and
    // out.txt; with none, or for a list of one segment or less, the calling thread does it all.
    unsigned searchThreads = 2;
    // The lines of the search are handed over in blocks of this many bytes.
    std::size_t blockBytes = std::size_t{1} << 20;
    // The search threads take the words in segments of this many.
    std::int32_t segmentWords = 4096;
    // The seed of the word index's hashes; 0 draws one at random for each run. The finds do not
    // depend on it, only how the words spread over the index.
    std::uint64_t hashSeed = 0;
};

struct RunResult {
    std::int32_t wordCount = 0;
    std::int64_t findCount = 0;
    // The size check stopped the run before Debug.txt: no file was written.
    bool sizeRefused = false;
};

// The whole run on the files of `folder`: in.txt, then Debug.txt, then out.txt (its header and
// every find of the compound search), each name resolved in `folder`, with a progress call
// every hundredth word. A find is a word w, a list word that w begins with (the first member)
// and the list word equal to the rest of w (the second member). The finds come in the order of
// w in the list, then of the first member in the list; a first member that occurs k times gives
// k lines; the second member is always the first list entry equal to the rest. (The rest needs
// no test against the threshold: being a list word, it is long enough.)
// Before Debug.txt is written, the size of out.txt is worked out and checked through `progress`
// (roomFor, tooLarge, largeAccepted). Failures throw rt::RuntimeError: a list that the memory
// the process can get will not hold is error 7 before it is read (before its index is built,
// once its words are counted); std::bad_alloc when memory runs out all the same.
RunResult Run(const std::filesystem::path& folder, double threshold, Progress& progress,
              const Tuning& tuning = {});

}  // namespace splitword
