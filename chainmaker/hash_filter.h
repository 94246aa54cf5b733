#pragma once
// A quick first test for a set of 64-bit hashes: it may answer "maybe" for a hash that is not
// in the set, never "no" for one that is. Two bits are set for each hash, in one 64-bit word
// picked by the hash, so that a test reads one word. The hash is spread by an odd factor, which
// callers draw at random for each run so that no set made in advance crowds a few words.

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "large_pages.h"

namespace chainmaker {

class HashFilter {
  public:
    // Small enough to be copied into a loop's registers.
    struct View {
        const std::uint64_t* words;
        unsigned shift;  // 64 less the number of bits that pick a word
        std::uint64_t factor;

        // The top bits of hash * factor pick the word (every bit of the hash reaches them), two
        // groups of 6 bits below those the two bits in it.
        bool mayContain(std::uint64_t hash) const noexcept {
            const std::uint64_t spread = hash * factor;
            const std::uint64_t bits = Bits(spread);
            return (words[spread >> shift] & bits) == bits;
        }
    };

    // Holds nothing.
    HashFilter() = default;
    // Room for `count` hashes: 2^bits bits, or, when bits is 0, about 32 to 64 bits a hash,
    // from 2^12 to 2^24 bits (512 bytes to 2 MiB), so that a hash that is not in the set passes
    // with a chance of 1 in 300 to 1 in 1000 while the words stay in the cache. Tests choose
    // small sizes, so that many hashes share a word.
    explicit HashFilter(std::size_t count, int bits = 0, std::uint64_t factor = kFactor)
        : factor_(factor | 1) {
        if (bits <= 0) {
            bits = 12;
            while (bits < 24 && (std::size_t{1} << bits) < 32 * count) ++bits;
        }
        const int wordBits = std::clamp(bits - 6, 1, kMaxWordBits);
        words_ = rt::LargePages(sizeof(std::uint64_t) << wordBits);
        shift_ = static_cast<unsigned>(64 - wordBits);
    }

    void add(std::uint64_t hash) noexcept {
        const std::uint64_t spread = hash * factor_;
        words_.as<std::uint64_t>()[spread >> shift_] |= Bits(spread);
    }
    View view() const noexcept {
        return words_.data() ? View{words_.as<std::uint64_t>(), shift_, factor_}
                             : View{kNothing, 63, factor_};
    }
    bool mayContain(std::uint64_t hash) const noexcept { return view().mayContain(hash); }

  private:
    static constexpr std::uint64_t kFactor = 0x9E3779B97F4A7C15ull;
    static constexpr int kMaxWordBits = 64 - 40 - 6;  // the word bits stay above the bit groups
    static std::uint64_t Bits(std::uint64_t spread) noexcept {
        return (std::uint64_t{1} << ((spread >> 34) & 63)) |
               (std::uint64_t{1} << ((spread >> 40) & 63));
    }
    static constexpr std::uint64_t kNothing[2] = {0, 0};

    rt::LargePages words_;
    unsigned shift_ = 63;
    std::uint64_t factor_ = kFactor;
};

}  // namespace chainmaker
