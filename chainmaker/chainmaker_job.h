#pragma once
// Chainmaker's job, without any window: reading the list of strings and the list of lines to
// leave out, and writing every combination of one to six strings of the list to out.txt.
//
// A combination of k members is an index tuple (i1, ..., ik); its line is entry i1, the
// separator, entry i2, ..., entry ik. Block k holds all n^k tuples in lexicographic order (the
// last index fastest); blocks come in the order 1 to 6. Every line ends with CR LF.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "counter.h"
#include "textfile.h"

namespace chainmaker {

inline constexpr std::string_view kInputName = "in.txt";
inline constexpr std::string_view kExcludeName = "exclude.txt";
inline constexpr std::string_view kOutputName = "out.txt";
inline constexpr int kMaxMembers = 6;

// Entries in file order; entry number i (counted from 1) is element i - 1.
using StringList = std::vector<std::string>;

// Reads a list file: every line, less the spaces at both ends (tabs stay), that is not empty
// after that is appended to `list` and counted in `count`. Entries appended before a failure
// stay. A missing file is error 53, an unreadable one error 70.
void ReadList(const std::filesystem::path& path, StringList& list, rt::Counter32& count);

// The set of whole lines to leave out. It refers to the strings of the list it was made from,
// which must outlive it. Membership is exact byte equality, letter case counting: the same
// answer as scanning the list for an equal entry, found by hashing instead.
//
// The hash is polynomial in the bytes, so that the hash of a line follows from the hashes of its
// parts: the combination writer extends the hash of a tuple's prefix as it extends its text, and
// no line is scanned to be looked up.
class Exclusion {
  public:
    Exclusion(const StringList& entries, std::int32_t count);

    bool contains(std::string_view line) const { return contains(line, Hash(line)); }
    // `hash` is Hash(line), however obtained.
    bool contains(std::string_view line, std::uint64_t hash) const {
        if (line.size() >= lengthPresent_.size() || !lengthPresent_[line.size()]) return false;
        const std::uint64_t mixed = Mix(hash);
        const std::uint8_t tag = TagOf(mixed);
        for (std::size_t at = mixed & mask_; tags_[at] != 0; at = (at + 1) & mask_) {
            if (tags_[at] == tag && slots_[at].hash == hash && slots_[at].text == line) return true;
        }
        return false;
    }
    bool empty() const noexcept { return size_ == 0; }

    // The hash of a text: the bytes as digits of a number in base kBase, modulo 2^64.
    static constexpr std::uint64_t kBase = 0x100000001B3ull;
    static std::uint64_t Hash(std::string_view text) noexcept {
        std::uint64_t hash = 0;
        for (const char c : text) hash = hash * kBase + static_cast<unsigned char>(c);
        return hash;
    }
    // kBase to the power `length`: Hash(a + b) == Hash(a) * Power(b.size()) + Hash(b).
    static std::uint64_t Power(std::size_t length) noexcept {
        std::uint64_t power = 1;
        for (std::uint64_t base = kBase; length > 0; length >>= 1, base *= base)
            if (length & 1) power *= base;
        return power;
    }

  private:
    struct Slot {
        std::uint64_t hash;
        std::string_view text;
    };
    // Spreads the polynomial hash over all bits before it picks a slot and a tag.
    static std::uint64_t Mix(std::uint64_t hash) noexcept {
        hash ^= hash >> 33;
        hash *= 0xFF51AFD7ED558CCDull;
        hash ^= hash >> 33;
        hash *= 0xC4CEB9FE1A85EC53ull;
        hash ^= hash >> 33;
        return hash;
    }
    // Never 0, which marks an empty slot.
    static std::uint8_t TagOf(std::uint64_t mixed) noexcept {
        return static_cast<std::uint8_t>(0x80 | (mixed >> 57));
    }

    // Open addressing with linear probing. The small tags are looked at first, so that a line
    // that is not in the set (the common case) mostly touches only the tag array.
    std::vector<std::uint8_t> tags_;
    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
    std::size_t size_ = 0;
    std::vector<bool> lengthPresent_;  // lengths that some entry has: a cheap first test
};

// Writes one line with CR LF, unless the exclusion (when there is one) holds it.
class LinePrinter {
  public:
    LinePrinter(rt::LineWriter& out, const Exclusion* exclusion)
        : out_(out), exclusion_(exclusion && !exclusion->empty() ? exclusion : nullptr) {}

    void PrintMe(std::string_view line) {
        if (exclusion_ && exclusion_->contains(line)) return;
        out_.printLine(line);
    }
    // The same for a line whose CR LF already follows it in memory (text[length] is CR), with
    // the line's Exclusion::Hash when there is an exclusion.
    template <bool kExcluding>
    void printEnded(const char* text, std::size_t length, std::uint64_t hash) {
        if constexpr (kExcluding) {
            if (exclusion_->contains(std::string_view(text, length), hash)) return;
        }
        out_.print(std::string_view(text, length + 2));
    }
    bool excluding() const noexcept { return exclusion_ != nullptr; }

  private:
    rt::LineWriter& out_;
    const Exclusion* exclusion_;
};

// Asked right before block k (k = 1 to 6) whether that block is wanted.
using BlockWanted = std::function<bool(int members)>;

// Hands every line of the wanted blocks to the printer, in output order. Each line is made by
// extending the text of its tuple's prefix; only the members after the last index that changed
// are written anew. Memory does not depend on the number of lines.
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
