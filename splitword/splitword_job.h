#pragma once
// The Splitword run without a window: read the word list from in.txt, keep the words at least
// as long as the threshold, list them in Debug.txt, and write to out.txt every kept word that is
// a kept word followed by another kept word, with its two members.

#include <cstdint>
#include <filesystem>
#include <optional>

#include "output_size.h"
#include "room.h"
#include "run_progress.h"
#include "splitword_files.h"
#include "word_list.h"

namespace splitword {

struct Options {
    // The least length, in characters, of a word taken into the list.
    double threshold = 2;
    Tuning tuning;
    // The room for out.txt and for the list and its index.
    rt::Room room;
    // A run that only measures: the size of out.txt is worked out in full (as for a list whose
    // bound does not settle it) into Result::measured, and the run stops as a refused one does,
    // having written nothing.
    bool measureOnly = false;
    rt::Wording wording = rt::Wording::Window;
};

struct Result {
    std::int32_t wordCount = 0;
    std::int64_t findCount = 0;
    // The size check stopped the run before Debug.txt: no file was written.
    bool sizeRefused = false;
    // The size of out.txt, in a run that only measures.
    std::optional<OutputSize> measured;
};

// The whole run on the files of `folder`: in.txt, then Debug.txt, then out.txt (its header and
// every find of the compound search), each name resolved in `folder`, with a progress call
// every hundredth word (run_progress.h). A find is a word w, a list word that w begins with (the
// first member) and the list word equal to the rest of w (the second member). The finds come in
// the order of w in the list, then of the first member in the list; a first member that occurs k
// times gives k lines; the second member is always the first list entry equal to the rest. (The
// rest needs no test against the threshold: being a list word, it is long enough.)
// Before Debug.txt is written, the size of out.txt is worked out and checked against the room
// for it (less what Debug.txt adds): a run that cannot fit is refused, a large one asked about
// (rt::SizeAccepted). Failures throw rt::RuntimeError: a list that the memory the process can
// get will not hold is error 7 before it is read (before its index is built, once its words are
// counted); std::bad_alloc when memory runs out all the same.
Result Run(const std::filesystem::path& folder, const Options& options, rt::RunEvents& events);

}  // namespace splitword
