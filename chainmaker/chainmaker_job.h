#pragma once
// Chainmaker's job, without any window: reading the list of strings and the list of lines to
// leave out, and writing every combination of one to six strings of the list to out.txt.
//
// A combination of k members is an index tuple (i1, ..., ik); its line is entry i1, the
// separator, entry i2, ..., entry ik. Block k holds all n^k tuples in lexicographic order (the
// last index fastest); blocks come in the order 1 to 6. Every line ends with CR LF.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "counter.h"
#include "string_list.h"
#include "textfile.h"

namespace chainmaker {

inline constexpr std::string_view kInputName = "in.txt";
inline constexpr std::string_view kExcludeName = "exclude.txt";
inline constexpr std::string_view kOutputName = "out.txt";
inline constexpr int kMaxMembers = 6;
// What a run shows when exclude.txt is asked for and cannot be read; the run stops unwritten.
inline constexpr std::string_view kExcludeMissingMessage = "Can't find the file exclude.txt";

// The hashes of the exclusion's index: the bytes of a text as digits of a number in an odd base,
// modulo 2^64, so that the hash of a text follows from the hashes of its parts; and an odd factor
// that spreads hashes over a table. Both are drawn from a seed, at random for each run unless
// one is given: no list made in advance can make its entries crowd the index.
class TextHash {
  public:
    // A seed of 0 draws one at random.
    explicit TextHash(std::uint64_t seed = 0);

    std::uint64_t base() const noexcept { return base_; }
    std::uint64_t spread() const noexcept { return spread_; }
    std::uint64_t operator()(std::string_view text) const noexcept {
        std::uint64_t hash = 0;
        for (const char c : text) hash = hash * base_ + static_cast<unsigned char>(c);
        return hash;
    }
    // The base to the power `length`: hash(a + b) == hash(a) * power(b.size()) + hash(b).
    std::uint64_t power(std::size_t length) const noexcept {
        std::uint64_t power = 1;
        for (std::uint64_t base = base_; length > 0; length >>= 1, base *= base)
            if (length & 1) power *= base;
        return power;
    }

  private:
    std::uint64_t base_;
    std::uint64_t spread_;
};

// Reads a list file: every line, less the spaces at both ends (tabs stay), that is not empty
// after that is appended to `list` and counted in `count` (entry number i, counted from 1, is
// list[i - 1]). Entries appended before a failure stay. A missing file is error 53, one that
// may not be read (or a folder) error 70, a failed read error 57, more than 2147483647 entries
// error 6.
void ReadList(const std::filesystem::path& path, StringList& list, rt::Counter32& count);

// The lines to leave out: the first `count` entries of a list, which must outlive it. A line is
// left out when it equals an entry byte for byte, letter case counting.
//
// A single line is looked up by scanning the entries in order. The combination writer does not
// look lines up one by one: it indexes the entries by the prefix of a tuple that they can be a
// line of, and tests only the lines of the prefixes that some entry fits (see PrintCombinations).
// Its hashes (TextHash) are polynomial in the bytes, so that the hash of a text follows from the
// hashes of its parts: the writer extends the hash of a tuple's prefix as it extends its text.
class Exclusion {
  public:
    // `filterBits`: the size of the writer's bit array of prefixes as a power of two (7 to 24);
    // 0 sizes it to the number of entries (see HashFilter). Tests choose small ones.
    // `hashSeed`: the seed of the writer's hashes, 0 for one drawn at random; the lines written
    // do not depend on it.
    Exclusion(const StringList& entries, std::int32_t count, int filterBits = 0,
              std::uint64_t hashSeed = 0)
        : entries_(&entries),
          size_(
              std::min(static_cast<std::size_t>(std::max(count, std::int32_t{0})), entries.size())),
          filterBits_(filterBits),
          hash_(hashSeed) {}

    bool contains(std::string_view line) const {
        for (std::size_t i = 0; i < size_; ++i)
            if ((*entries_)[i] == line) return true;
        return false;
    }
    bool empty() const noexcept { return size_ == 0; }
    std::size_t size() const noexcept { return size_; }
    std::string_view operator[](std::size_t i) const noexcept { return (*entries_)[i]; }
    int filterBits() const noexcept { return filterBits_; }
    const TextHash& hash() const noexcept { return hash_; }

  private:
    const StringList* entries_;
    std::size_t size_;
    int filterBits_;
    TextHash hash_;
};

// Writes single lines with CR LF, unless the exclusion (when there is one) holds them; and
// carries the output and the exclusion to the combination writer.
class LinePrinter {
  public:
    LinePrinter(rt::LineWriter& out, const Exclusion* exclusion)
        : out_(out), exclusion_(exclusion && !exclusion->empty() ? exclusion : nullptr) {}

    void PrintMe(std::string_view line) {
        if (exclusion_ && exclusion_->contains(line)) return;
        out_.printLine(line);
    }
    rt::LineWriter& out() const noexcept { return out_; }
    // Null when nothing is left out.
    const Exclusion* exclusion() const noexcept { return exclusion_; }

    // Called by the combination writer each time it has handed about a megabyte of whole lines
    // to the output, with the bytes handed over so far. What it throws stops the writing there,
    // the output holding whole lines only.
    using Progress = std::function<void(std::uint64_t bytes)>;
    void setProgress(Progress progress) { progress_ = std::move(progress); }
    const Progress& progress() const noexcept { return progress_; }

  private:
    rt::LineWriter& out_;
    const Exclusion* exclusion_;
    Progress progress_;
};

// Asked right before block k (k = 1 to 6) whether that block is wanted.
using BlockWanted = std::function<bool(int members)>;

// Writes every line of the wanted blocks that the printer's exclusion does not hold to the
// printer's output, in output order; all of it has reached the LineWriter on return. The lines
// are formed straight into large chunks of output: for each prefix of a tuple (kept up to date
// like an odometer, only the members from the index that changed onwards written anew) the
// innermost index runs over the entries, each line being the prefix and the entry with its
// CR LF. A line equal to an entry of the exclusion is that entry's text before some member at
// its end followed by the member, so the exclusion is indexed by those texts: a prefix that no
// entry fits (most of them; a bit array answers that) has its lines written without any test.
// Memory does not depend on the number of lines.
void PrintCombinations(const StringList& list, std::int32_t count, std::string_view separator,
                       const BlockWanted& wanted, LinePrinter& printer);

// The writing step of a run: creates (or empties) `outPath` before any block is asked about,
// writes the wanted blocks leaving out the excluded lines (`exclusion` may be null), and closes
// the file complete on disk. Failures are run-time errors (70 when the file cannot be created,
// 61 or 57 when writing fails).
void WriteCombinations(const std::filesystem::path& outPath, const StringList& list,
                       std::int32_t count, std::string_view separator, const BlockWanted& wanted,
                       const Exclusion* exclusion);

// A whole run without a window, the steps in the window's order: in.txt, then exclude.txt when
// `exclude` is set, then out.txt. Files are found in `folder` by rt::ResolveName.
struct Options {
    bool blocks[kMaxMembers] = {true, true, true, false, false, false};
    std::string separator = " ";
    bool exclude = false;
};
void Run(const std::filesystem::path& folder, const Options& options);

}  // namespace chainmaker
