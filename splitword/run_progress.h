#pragma once
// What a Splitword run tells its caller as it goes on (rt::RunEvents: a progress call for every
// hundredth word, in order, just before the lines of word `index` (from 1) of `count` are
// written), and how it searches (Tuning): the job and the parts of its search share them.
//
// The search hands its lines over in blocks of many words (from threads of its own, which run
// ahead, unless Tuning or a short list keeps it on the calling thread); the progress calls for
// the words of a block come on the calling thread just before the block is written, so that no
// line of word `index` or of a later word has reached out.txt yet.

#include <cstddef>
#include <cstdint>

#include "run_events.h"

namespace splitword {

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
