#pragma once
// What a Splitword run tells its caller as it goes on (Progress), and how it searches (Tuning):
// the job and the parts of its search share them.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>

#include "output_size.h"

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

}  // namespace splitword
