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

namespace rt {
class LineWriter;
}

namespace splitword {

// The byte length of the character that starts at `text[pos]` (1 to 4): the length of a valid
// UTF-8 sequence there, or 1 when none starts there.
std::size_t CharacterSize(std::string_view text, std::size_t pos) noexcept;

// The number of characters of a text.
std::int64_t CharacterCount(std::string_view text) noexcept;

// The threshold box's text as the run shows it: blanks removed at both ends, then the value of
// its leading number as number text (" 3 " -> "3", "3x" -> "3", "abc" -> "0"). Error 6 when the
// number is too large for a double.
std::string NormaliseThresholdText(std::string_view boxText);

// Told how the run goes on. The default does nothing.
class Progress {
  public:
    virtual ~Progress() = default;
    // Just before in.txt is opened.
    virtual void readingInput() {}
    // Every hundredth word, just before word `index` (from 1) of `count` is searched.
    virtual void workingOn(std::int32_t index, std::int32_t count) {
        (void)index;
        (void)count;
    }
};

// The kept words in file order, duplicates included. The bytes of all words lie one after the
// other in one block; word k (from 0) is bytes offsets[k] to offsets[k + 1].
class WordList {
  public:
    void reserveBytes(std::size_t bytes) { bytes_.reserve(bytes); }
    // Adds a word; error 6 past 2147483647 words.
    void add(std::string_view word);

    std::int32_t count() const noexcept { return static_cast<std::int32_t>(offsets_.size() - 1); }
    std::string_view word(std::int32_t k) const noexcept {
        return std::string_view(bytes_).substr(offsets_[k], offsets_[k + 1] - offsets_[k]);
    }

  private:
    std::string bytes_;
    std::vector<std::uint64_t> offsets_{0};
};

// Reads in.txt of `folder`: the text before the first tab of each line, blanks trimmed, kept
// when its length in characters is at least `threshold`. Missing in.txt: error 53.
WordList ReadWordList(const std::filesystem::path& folder, double threshold);

// Creates Debug.txt in `folder` and lists the words in it, one a line.
void WriteDebugList(const std::filesystem::path& folder, const WordList& words);

// Writes the header and every find of the compound search to `out`, reporting progress every
// hundredth word. A find is a word w, a list word that w begins with (the first member) and the
// list word equal to the rest of w (the second member), the rest being at least `threshold`
// characters long. The finds come in the order of w in the list, then of the first member in
// the list; a first member that occurs k times gives k lines; the second member is always the
// first list entry equal to the rest. Returns the number of finds.
std::int64_t SearchCompounds(const WordList& words, double threshold, rt::LineWriter& out,
                             Progress& progress);

struct RunResult {
    std::int32_t wordCount = 0;
    std::int64_t findCount = 0;
};

// The whole run on the files of `folder`: in.txt, then Debug.txt, then out.txt, each name
// resolved in `folder`. Failures throw rt::RuntimeError (std::bad_alloc when memory runs out).
RunResult Run(const std::filesystem::path& folder, double threshold, Progress& progress);

}  // namespace splitword
