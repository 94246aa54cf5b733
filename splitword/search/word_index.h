#pragma once
// The index of the word list: each distinct text with its positions, found by hash.
// A part of the search (splitword/search/), which splitword_job.cpp alone
// uses.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>

#include "hash_filter.h"
#include "hashing.h"
#include "large_pages.h"
#include "word_list.h"

namespace splitword::search {

// Whether the word at `offset` of the list's bytes is `bytes`. Every word of the list is followed
// by a CR, and no word holds one: so the word there is `bytes` when those bytes and a CR follow.
inline bool WordAt(std::string_view all, std::uint64_t offset, std::string_view bytes) noexcept {
    if (offset + bytes.size() >= all.size()) return false;
    const char* at = all.data() + offset;
    return at[bytes.size()] == '\r' && std::memcmp(at, bytes.data(), bytes.size()) == 0;
}

// The distinct texts of the list, each with all its positions in order, found by hash; and a
// small filter in front of them that tells at once most texts that are not in the list.
// The index is two halves, by one bit of the hash, so that two threads can build it. Looking a
// text up takes a few steps, each of which may wait for memory: callers with many texts to
// look up start the steps of several of them before they finish any.
class WordIndex {
  public:
    static constexpr unsigned kHalves = 2;
    static constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

    WordIndex(const WordList& words, const Hashing& hashing)
        : hashing_(hashing),
          words_(words),
          all_(words.lines()),
          hashes_(static_cast<std::size_t>(words.count())),
          textOf_(static_cast<std::size_t>(words.count())) {}

    // Building takes two steps, each shared among workers; every share of the first step must
    // be done before the second begins. First: the hashes of share `share` of `shares` of the
    // words.
    void hashWords(unsigned share, unsigned shares, const std::atomic<bool>& cancelled) {
        const auto count = static_cast<std::uint64_t>(words_.count());
        const auto from = static_cast<std::uint32_t>(count * share / shares);
        const auto to = static_cast<std::uint32_t>(count * (share + 1) / shares);
        for (std::uint32_t k = from; k < to; ++k) {
            if ((k & 0xFFFF) == 0 && cancelled.load(std::memory_order_relaxed)) throw Cancelled{};
            hashes_[k] = HashOf(words_.word(static_cast<std::int32_t>(k)), hashing_.base);
        }
    }

    // Second: the table, the filter and the positions of one half.
    void buildHalf(unsigned half, const std::atomic<bool>& cancelled) {
        const auto count = static_cast<std::uint32_t>(words_.count());
        std::uint32_t mine = 0;
        for (std::uint32_t k = 0; k < count; ++k) mine += HalfOf(hashes_[k]) == half;
        Half& h = halves_[half];
        h.slots =
            rt::LargeArray<Slot>(PowerOfTwoAtLeast(std::max<std::size_t>(2 * mine, 16)), true);
        h.mask = h.slots.size() - 1;
        h.shift = ShiftFor(h.slots.size());
        // About eight bits per word, so that the filter stays in the cache closest to the
        // processor.
        h.filter = rt::HashFilter(rt::HashFilter::BitsFor(mine, 8, 9), true);
        h.texts = rt::LargeArray<Text>(mine);
        h.positions = rt::LargeArray<std::uint32_t>(mine, true);

        // The words of this half in order; each is taken some words ahead, so that its slot,
        // and then the bytes of the text in it, are on their way to the cache by the time it
        // is looked up.
        constexpr std::uint32_t kAhead = 16;
        constexpr std::uint32_t kHalfway = kAhead / 2;
        std::uint32_t ahead[kAhead];
        std::uint32_t scout = 0;  // the next word not yet taken ahead
        const auto takeNext = [&]() -> std::uint32_t {
            while (scout < count && HalfOf(hashes_[scout]) != half) ++scout;
            if (scout < count) prefetchSlot(h, hashes_[scout]);
            return scout < count ? scout++ : count;
        };
        for (std::uint32_t a = 0; a < kAhead; ++a) ahead[a] = takeNext();
        std::uint32_t texts = 0;
        for (std::uint32_t n = 0; n < mine; ++n) {
            if ((n & 0xFFFF) == 0 && cancelled.load(std::memory_order_relaxed)) throw Cancelled{};
            const std::uint32_t k = ahead[n % kAhead];
            const std::uint32_t soon = ahead[(n + kHalfway) % kAhead];
            if (soon < count) prefetchText(h, hashes_[soon]);
            ahead[n % kAhead] = takeNext();

            const std::uint64_t hash = hashes_[k];
            const std::string_view word = words_.word(static_cast<std::int32_t>(k));
            std::size_t slot = home(h, hash);
            std::uint32_t text = kNone;
            for (;; slot = (slot + 1) & h.mask) {
                const Slot& entry = h.slots[slot];
                if (entry.id == 0) break;
                if (entry.tag == static_cast<std::uint32_t>(hash) &&
                    WordAt(all_, entry.offset, word)) {
                    text = entry.id - 1;
                    break;
                }
            }
            if (text == kNone) {
                text = texts++;
                h.slots[slot] = Slot{static_cast<std::uint64_t>(word.data() - all_.data()), texts,
                                     static_cast<std::uint32_t>(hash)};
                h.filter.add(hash * hashing_.mix);
            }
            textOf_[k] = text;
            ++h.texts[text].count;
        }

        // All positions of each text, grouped by text, ascending within a group.
        std::uint32_t start = 0;
        std::uint32_t most = 0;
        for (std::uint32_t t = 0; t < texts; ++t) {
            h.texts[t].begin = start;
            start += h.texts[t].count;
            most = std::max(most, h.texts[t].count);
        }
        h.textCount = texts;
        h.mostOccurrences = most;
        for (std::uint32_t k = 0; k < count; ++k) {
            if (HalfOf(hashes_[k]) == half) h.positions[h.texts[textOf_[k]].begin++] = k;
        }
        for (std::uint32_t t = 0; t < texts; ++t) h.texts[t].begin -= h.texts[t].count;
    }

    const Hashing& hashing() const noexcept { return hashing_; }

    // Once both halves are built: the memory that only building needed.
    void built() noexcept {
        hashes_ = rt::LargeArray<std::uint64_t>();
        textOf_ = rt::LargeArray<std::uint32_t>();
    }

    void prefetchFilter(std::uint64_t hash) const noexcept {
        halves_[HalfOf(hash)].filter.prefetch(hash * hashing_.mix);
    }
    // False when no text of the list has that hash; true when one may have it.
    bool mayContain(std::uint64_t hash) const noexcept {
        return halves_[HalfOf(hash)].filter.mayContain(hash * hashing_.mix);
    }
    void prefetchSlot(std::uint64_t hash) const noexcept {
        prefetchSlot(halves_[HalfOf(hash)], hash);
    }
    // Once the slot is at hand: the bytes of the text in it, when it may be the one.
    void prefetchText(std::uint64_t hash) const noexcept {
        prefetchText(halves_[HalfOf(hash)], hash);
    }

    // The text equal to `bytes` (whose hash is `hash`), or kNone. A text is its half in the
    // top bit and its number in that half below.
    std::uint32_t find(std::uint64_t hash, std::string_view bytes) const noexcept {
        const unsigned half = HalfOf(hash);
        const Half& h = halves_[half];
        for (std::size_t slot = home(h, hash);; slot = (slot + 1) & h.mask) {
            const Slot& entry = h.slots[slot];
            if (entry.id == 0) return kNone;
            if (entry.tag == static_cast<std::uint32_t>(hash) && WordAt(all_, entry.offset, bytes))
                return (entry.id - 1) | (half << 31);
        }
    }

    const std::uint32_t* positionsBegin(std::uint32_t text) const noexcept {
        const Half& h = halves_[text >> 31];
        return h.positions.data() + h.texts[text & kNumber].begin;
    }
    const std::uint32_t* positionsEnd(std::uint32_t text) const noexcept {
        const Half& h = halves_[text >> 31];
        return positionsBegin(text) + h.texts[text & kNumber].count;
    }
    std::uint32_t occurrences(std::uint32_t text) const noexcept {
        return halves_[text >> 31].texts[text & kNumber].count;
    }

    // How often the most frequent text occurs (0 for an empty list).
    std::uint32_t mostOccurrences() const noexcept {
        std::uint32_t most = 0;
        for (const Half& h : halves_) most = std::max(most, h.mostOccurrences);
        return most;
    }
    // Calls `visit(first position, occurrences)` once for each distinct text, positions from 0.
    template <class Visit>
    void forEachText(Visit visit) const {
        for (const Half& h : halves_) {
            for (std::uint32_t t = 0; t < h.textCount; ++t)
                visit(h.positions[h.texts[t].begin], h.texts[t].count);
        }
    }

  private:
    static constexpr std::uint32_t kNumber = 0x7FFFFFFF;

    struct Text {
        std::uint32_t begin;  // where its positions begin
        std::uint32_t count;  // how often it occurs
    };
    // Open addressing: where a text's first occurrence lies in the list's bytes, the text's
    // number plus one (0 for a free slot, so that a new table is all zero bytes) and the low
    // bits of its hash, so that most texts that differ are told apart without reading on.
    struct Slot {
        std::uint64_t offset;
        std::uint32_t id;
        std::uint32_t tag;
    };
    // On whole cache lines: the two halves, built by two threads, share none, and the half of
    // a hash is found with a shift.
    struct alignas(64) Half {
        rt::LargeArray<Slot> slots;
        std::size_t mask = 0;
        unsigned shift = 64;
        rt::HashFilter filter;
        rt::LargeArray<Text> texts;
        rt::LargeArray<std::uint32_t> positions;
        std::uint32_t textCount = 0;
        std::uint32_t mostOccurrences = 0;
    };

    // Hashes lie below 2^61: the top bit of those is as likely set as not.
    static unsigned HalfOf(std::uint64_t hash) noexcept {
        return static_cast<unsigned>((hash >> 60) & 1);
    }
    std::size_t home(const Half& h, std::uint64_t hash) const noexcept {
        return static_cast<std::size_t>((hash * hashing_.mix) >> h.shift);
    }
    void prefetchSlot(const Half& h, std::uint64_t hash) const noexcept {
        Prefetch(&h.slots[home(h, hash)]);
    }
    void prefetchText(const Half& h, std::uint64_t hash) const noexcept {
        const Slot& entry = h.slots[home(h, hash)];
        if (entry.id != 0 && entry.tag == static_cast<std::uint32_t>(hash))
            Prefetch(all_.data() + entry.offset);
    }

    const Hashing hashing_;
    const WordList& words_;
    std::string_view all_;
    rt::LargeArray<std::uint64_t> hashes_;  // of each word, while building
    rt::LargeArray<std::uint32_t> textOf_;  // each word's number in its half, while building
    Half halves_[kHalves];
};

}  // namespace splitword::search
