#pragma once
// The Splitword run without a window: read the word list from in.txt, keep the words at least
// as long as the threshold, list them in Debug.txt, and write to out.txt every kept word that is
// a kept word followed by another kept word, with its two members.
//
// Word lengths are counted in characters of UTF-8 text: a valid sequence is one character, and
// every byte that does not belong to a valid sequence is a character of its own. Words are
// compared byte for byte, so letter case counts.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "large_pages.h"

namespace rt {
class LineWriter;
}

namespace splitword {

// The byte length of the character that starts at `text[pos]` (1 to 4): the length of a valid
// UTF-8 sequence there, or 1 when none starts there.
std::size_t CharacterSize(std::string_view text, std::size_t pos) noexcept;

// The number of characters of a text.
std::int64_t CharacterCount(std::string_view text) noexcept;

// Whether a text of that many characters is long enough for the threshold (a length equal to
// the threshold is). Counts no further than it needs to.
bool LongEnough(std::string_view text, double threshold) noexcept;

// The threshold box's text as the run shows it: blanks removed at both ends, then the value of
// its leading number (read with "." as decimal point in every locale) as text with the user's
// decimal mark (" 3 " -> "3", "3x" -> "3", "abc" -> "0", "2.5" -> "2,5" in German). Error 6
// when the number is too large for a double.
std::string NormaliseThresholdText(std::string_view boxText, std::string_view decimalMark = ".");

// Told how the run goes on. The default does nothing. Calls come on the thread that called
// Run, in the order of the run.
class Progress {
  public:
    virtual ~Progress() = default;
    // Just before in.txt is opened.
    virtual void readingInput() {}
    // For every hundredth word, in order: word `index` (from 1) of `count` is about to be
    // written. The search runs ahead on a second thread and hands its lines over in blocks of
    // many words; the calls for the words of a block come just before the block is written, so
    // that no line of word `index` or of a later word has reached out.txt yet.
    virtual void workingOn(std::int32_t index, std::int32_t count) {
        (void)index;
        (void)count;
    }
};

// The kept words in file order, duplicates included. The bytes of all words lie one after the
// other in one block, each word followed by CR LF, so that the block is the text of Debug.txt;
// word k (from 0) begins at offset(k) and ends two bytes before offset(k + 1).
class WordList {
  public:
    // Room for the words of a file of that many bytes, as far as they are of ten bytes or more;
    // shorter words make the list grow (by moving its pages, not copying its bytes).
    void reserveFor(std::uint64_t fileBytes);
    // Adds a word; error 6 past 2147483647 words.
    void add(std::string_view word);

    std::int32_t count() const noexcept { return count_; }
    std::string_view word(std::int32_t k) const noexcept {
        const std::uint64_t begin = offsets_[static_cast<std::size_t>(k)];
        return std::string_view(bytes_.data() + begin,
                                offsets_[static_cast<std::size_t>(k) + 1] - begin - 2);
    }
    // All words, each followed by CR LF.
    std::string_view lines() const noexcept { return std::string_view(bytes_.data(), used_); }
    // The byte lengths of the shortest and the longest word (0 for an empty list).
    std::size_t shortestBytes() const noexcept { return count_ == 0 ? 0 : shortest_; }
    std::size_t longestBytes() const noexcept { return longest_; }

  private:
    void makeRoom(std::size_t bytes);

    rt::LargeArray<char> bytes_;
    std::size_t used_ = 0;
    rt::LargeArray<std::uint64_t> offsets_;  // offsets_[0] is 0 once there is room
    std::int32_t count_ = 0;
    std::size_t shortest_ = static_cast<std::size_t>(-1);
    std::size_t longest_ = 0;
};

// Reads in.txt of `folder`: the text before the first tab of each line, blanks trimmed, kept
// when its length in characters is at least `threshold`. Missing in.txt: error 53.
WordList ReadWordList(const std::filesystem::path& folder, double threshold);

// Creates Debug.txt in `folder` and lists the words in it, one a line.
void WriteDebugList(const std::filesystem::path& folder, const WordList& words);

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
};

// The whole run on the files of `folder`: in.txt, then Debug.txt, then out.txt (its header and
// every find of the compound search), each name resolved in `folder`, with a progress call
// every hundredth word. A find is a word w, a list word that w begins with (the first member)
// and the list word equal to the rest of w (the second member). The finds come in the order of
// w in the list, then of the first member in the list; a first member that occurs k times gives
// k lines; the second member is always the first list entry equal to the rest. (The rest needs
// no test against the threshold: being a list word, it is long enough.)
// Failures throw rt::RuntimeError (std::bad_alloc when memory runs out).
RunResult Run(const std::filesystem::path& folder, double threshold, Progress& progress,
              const Tuning& tuning = {});

}  // namespace splitword
