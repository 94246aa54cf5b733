#pragma once
// The word list of Splitword: characters counted in UTF-8 text, the threshold, and the kept
// words read from in.txt and listed in Debug.txt.
//
// Word lengths are counted in characters of UTF-8 text: a valid sequence is one character, and
// every byte that does not belong to a valid sequence is a character of its own. Words are
// compared byte for byte, so letter case counts.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "packed_strings.h"

namespace splitword {

// The byte length of the character that starts at `text[pos]` (1 to 4): the length of a valid
// UTF-8 sequence there, or 1 when none starts there.
std::size_t CharacterSize(std::string_view text, std::size_t pos) noexcept;

// Whether a text of that many characters is long enough for the threshold (a length equal to
// the threshold is). Counts no further than it needs to.
bool LongEnough(std::string_view text, double threshold) noexcept;

// The threshold box's text as the run shows it: blanks removed at both ends, then the value of
// its leading number (read with "." as decimal point in every locale) as text with the user's
// decimal mark (" 3 " -> "3", "3x" -> "3", "abc" -> "0", "2.5" -> "2,5" in German). Error 6
// when the number is too large for a double.
std::string NormaliseThresholdText(std::string_view boxText, std::string_view decimalMark = ".");

// The kept words in file order, duplicates included. The bytes of all words lie one after the
// other in one block, each word followed by CR LF, so that the block is the text of Debug.txt;
// word k (from 0) is entry k of the packed list.
class WordList {
  public:
    // Room for the words of a file of that many bytes, as far as they are of ten bytes or more;
    // shorter words make the list grow (by moving its pages, not copying its bytes).
    void reserveFor(std::uint64_t fileBytes);
    // Adds a word; error 6 past 2147483647 words.
    void add(std::string_view word);

    std::int32_t count() const noexcept { return static_cast<std::int32_t>(words_.size()); }
    std::string_view word(std::int32_t k) const noexcept {
        const auto at = static_cast<std::size_t>(k);
        const std::size_t begin = words_.startOf(at);
        return std::string_view(words_.bytes().data() + begin, words_.endOf(at) - begin - 2);
    }
    // All words, each followed by CR LF.
    std::string_view lines() const noexcept { return words_.bytes(); }
    // The byte lengths of the shortest and the longest word (0 for an empty list).
    std::size_t shortestBytes() const noexcept { return words_.empty() ? 0 : shortest_; }
    std::size_t longestBytes() const noexcept { return longest_; }

  private:
    rt::PackedStrings words_{rt::PackedStrings::Terminator::kCrLf};
    std::size_t shortest_ = static_cast<std::size_t>(-1);
    std::size_t longest_ = 0;
};

// The memory a byte of in.txt may take while it is read: its copy in the list, and its share of
// the word offsets (eight bytes for a word of ten) or, in a line longer than the reader's block,
// the reader's copies of it (two while the reader's room doubles). The index of the words is
// checked once they are counted.
inline constexpr std::uint64_t kMemoryPerInputByte = 3;

// Reads in.txt of `folder`: the text before the first tab of each line, blanks trimmed, kept
// when its length in characters is at least `threshold`. Missing in.txt: error 53. A file whose
// bytes, at kMemoryPerInputByte each, need more memory than the process can get: error 7, before
// it is read.
WordList ReadWordList(const std::filesystem::path& folder, double threshold);

// Creates Debug.txt in `folder` and lists the words in it, one a line.
void WriteDebugList(const std::filesystem::path& folder, const WordList& words);

}  // namespace splitword
