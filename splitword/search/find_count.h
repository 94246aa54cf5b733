#pragma once
// The size of out.txt before it is written: a bound from the word lengths and the most frequent
// word, which is all an ordinary list needs, and where that bound is too large the exact count,
// one look-up of each split of each distinct word, its lines multiplied by how often the word
// and its first member occur. Neither writes out a find, so both take the same time for 10^10
// lines as for ten.
// A part of the search (splitword/search/), which splitword_job.cpp alone
// uses.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "hashing.h"
#include "output_size.h"
#include "word_index.h"
#include "word_list.h"

namespace splitword::search {

// The bytes of a find's line in out.txt, for a compound of `compoundBytes`.
inline BigCount LineBytes(std::size_t compoundBytes) {
    return 2 * static_cast<BigCount>(compoundBytes) + 4;
}

// For each word, the places where it may split: its first member and its rest are list words,
// so neither is shorter than the shortest word, and the first member is no longer than the
// longest. Each split gives one line for each occurrence of its first member.
class SplitBound {
  public:
    explicit SplitBound(const WordList& words) {
        const std::size_t shortest = words.shortestBytes();
        const std::size_t longest = words.longestBytes();
        for (std::int32_t k = 0; k < words.count(); ++k) {
            const std::size_t size = words.word(k).size();
            if (size < 2 * shortest) continue;
            const std::size_t splits = std::min(longest, size - shortest) - shortest + 1;
            splits_ += splits;
            bytes_ += splits * LineBytes(size);
        }
    }

    // At most this much, when no word occurs more than `most` times; `headerBytes` with its CR LF.
    OutputSize atMost(std::uint32_t most, std::size_t headerBytes) const {
        return OutputSize{rt::SaturatingPlus(rt::SaturatingTimes(splits_, most), 1),
                          rt::SaturatingPlus(rt::SaturatingTimes(bytes_, most), headerBytes)};
    }

  private:
    BigCount splits_ = 0;
    BigCount bytes_ = 0;
};

// The exact size of out.txt, `headerBytes` with its CR LF.
inline OutputSize CountFinds(const WordList& words, const WordIndex& index,
                             std::size_t headerBytes) {
    const std::size_t shortest = words.shortestBytes();
    const std::size_t longest = words.longestBytes();
    const std::uint64_t base = index.hashing().base;
    const Powers power(base);
    struct Prefix {
        std::size_t bytes;
        std::uint64_t hash;
    };
    std::vector<Prefix> prefixes;
    OutputSize size{1, headerBytes};
    index.forEachText([&](std::uint32_t first, std::uint32_t occurrences) {
        const std::string_view word = words.word(static_cast<std::int32_t>(first));
        if (word.size() < 2 * shortest) return;
        const std::size_t highest = std::min(longest, word.size() - shortest);
        // Every beginning that ends on a character boundary and is long enough, as the search
        // takes them; the walk goes on to the end for the hash of the whole word.
        prefixes.clear();
        std::uint64_t hash = 0;
        std::size_t boundary = 0;
        for (std::size_t pos = 0;; ++pos) {
            if (pos == boundary) {
                if (pos >= shortest && pos <= highest) prefixes.push_back({pos, Reduced(hash)});
                if (pos == word.size()) break;
                boundary += CharacterSize(word, pos);
            }
            hash = Extend(hash, word[pos], base);
        }
        const std::uint64_t whole = Reduced(hash);
        BigCount lines = 0;  // of one occurrence of the word
        for (const Prefix& prefix : prefixes) {
            const std::uint64_t restHash =
                RestHash(whole, prefix.hash, power(word.size() - prefix.bytes));
            if (!index.mayContain(prefix.hash) || !index.mayContain(restHash)) continue;
            const std::uint32_t text = index.find(prefix.hash, word.substr(0, prefix.bytes));
            if (text == WordIndex::kNone) continue;
            if (index.find(restHash, word.substr(prefix.bytes)) == WordIndex::kNone) continue;
            lines += index.occurrences(text);
        }
        lines = rt::SaturatingTimes(lines, occurrences);
        size.lines = rt::SaturatingPlus(size.lines, lines);
        size.bytes =
            rt::SaturatingPlus(size.bytes, rt::SaturatingTimes(lines, LineBytes(word.size())));
    });
    return size;
}

}  // namespace splitword::search
