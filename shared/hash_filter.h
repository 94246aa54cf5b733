#pragma once
// A quick first test for a set of 64-bit hashes: it may answer "maybe" for a hash that is not in
// the set, never "no" for one that is. Each hash sets two bits of one 64-bit word, so that a test
// reads one word, which can be asked for ahead of the test (prefetch): the top two groups of 6
// bits pick the two bits, the bits below them the word.
//
// The hashes it takes are spread: a caller multiplies its hash by an odd factor, drawn at random
// for each run so that no set made in advance crowds a few words, as it does for the slot of a
// table; the product then serves both.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "large_pages.h"

namespace rt {

class HashFilter {
  public:
    static constexpr int kMostBits = 58;  // the word bits stay below the two groups

    // What a test reads: small enough to be copied into a loop's registers.
    struct View {
        const std::uint64_t* words;
        unsigned shift;  // 64 less the number of bits that pick a word

        bool mayContain(std::uint64_t spread) const noexcept {
            const std::uint64_t bits = Bits(spread);
            return (words[Word(spread, shift)] & bits) == bits;
        }
        void prefetch(std::uint64_t spread) const noexcept {
            __builtin_prefetch(words + Word(spread, shift));
        }
    };

    // Holds nothing: every test answers no.
    HashFilter() = default;
    // 2^bits bits (2^7 to 2^kMostBits). `populate`: the memory is taken at once, as a filter
    // about to be filled will touch all of it.
    explicit HashFilter(int bits, bool populate = false) {
        const int wordBits = std::clamp(bits - 6, 1, kMostBits - 6);
        words_ = LargePages(sizeof(std::uint64_t) << wordBits, populate);
        view_ = View{words_.as<std::uint64_t>(), static_cast<unsigned>(64 - wordBits)};
    }
    HashFilter(HashFilter&& other) noexcept
        : words_(std::move(other.words_)), view_(std::exchange(other.view_, kEmpty)) {}
    HashFilter& operator=(HashFilter&& other) noexcept {
        words_ = std::move(other.words_);
        view_ = std::exchange(other.view_, kEmpty);
        return *this;
    }

    // The size for `count` hashes at `bitsPerHash` bits each: the least power of two that holds
    // them, between 2^least and 2^most.
    static int BitsFor(std::size_t count, std::size_t bitsPerHash, int least,
                       int most = kMostBits) noexcept {
        int bits = least;
        while (bits < most && (std::size_t{1} << bits) < bitsPerHash * count) ++bits;
        return bits;
    }

    void add(std::uint64_t spread) noexcept {
        words_.as<std::uint64_t>()[Word(spread, view_.shift)] |= Bits(spread);
    }
    const View& view() const noexcept { return view_; }
    bool mayContain(std::uint64_t spread) const noexcept { return view_.mayContain(spread); }
    void prefetch(std::uint64_t spread) const noexcept { view_.prefetch(spread); }

  private:
    static std::uint64_t Bits(std::uint64_t spread) noexcept {
        return (std::uint64_t{1} << (spread >> 58)) | (std::uint64_t{1} << ((spread >> 52) & 63));
    }
    static std::size_t Word(std::uint64_t spread, unsigned shift) noexcept {
        return static_cast<std::size_t>((spread << 12) >> shift);
    }
    static constexpr std::uint64_t kNothing[2] = {0, 0};
    static constexpr View kEmpty{kNothing, 63};

    LargePages words_;
    View view_ = kEmpty;
};

}  // namespace rt
