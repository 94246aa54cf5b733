#pragma once
// The prefix of a tuple of block k, kept up to date like an odometer. The prefix is members 1 to
// k - 1 of the line, each followed by the separator; the innermost index, which runs over all
// members for every prefix, is not part of it. When the prefix advances, only the members from
// the place that changed onwards are written again, and the hash of the text before each place
// is kept, so that the hash of a prefix follows from the one before it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "combination_types.h"
#include "members.h"
#include "text_hash.h"

namespace chainmaker {

class TupleOdometer {
  public:
    // `separator` and `prefix` are padded (rt::kPadding bytes past their ends); `prefix` has
    // room for k - 1 of the longest member with its separator. The odometer starts at the first
    // prefix (every index 0).
    TupleOdometer(const Members& members, int k, std::string_view separator,
                  const rt::TextHash& hash, char* prefix)
        : first_(members.member.data()),
          n_(static_cast<std::int32_t>(members.member.size())),
          k_(k),
          prefix_(prefix),
          separator_{separator.data(), separator.size(), hash(separator),
                     hash.power(separator.size())} {
        rewriteFrom(0);
    }

    char* prefix() const noexcept { return prefix_; }
    std::size_t prefixSize() const noexcept { return start_[k_ - 1]; }
    std::uint64_t prefixHash() const noexcept { return hashBefore_[k_ - 1]; }
    // The index of the member at `place` (0 to k - 2) of the prefix.
    std::int32_t index(int place) const noexcept { return index_[place]; }

    // The hashes of the prefixes that differ from this one in the last place at most (block 1
    // has no such place): small enough to be kept in registers by a loop over the members.
    struct Siblings {
        std::uint64_t before;  // the hash of the text before the last place
        std::uint64_t separatorHash;
        std::uint64_t separatorPower;

        std::uint64_t hashWith(const Member& last) const noexcept {
            return rt::Joined(rt::Joined(before, last.power, last.hash), separatorPower,
                              separatorHash);
        }
    };
    Siblings siblings() const noexcept {
        return Siblings{k_ > 1 ? hashBefore_[k_ - 2] : 0, separator_.hash, separator_.power};
    }

    // Moves to the next prefix: returns the place whose index went up (the places after it went
    // back to 0), or -1 once every prefix has been seen.
    int advance() {
        const std::int32_t n = n_;  // a local, which the stores to index_ cannot change
        int place = k_ - 2;
        while (place >= 0 && ++index_[place] == n) {
            index_[place] = 0;
            --place;
        }
        if (place >= 0) rewriteFrom(place);
        return place;
    }

  private:
    struct Separator {
        const char* text;
        std::size_t size;
        std::uint64_t hash;
        std::uint64_t power;
    };

    void rewriteFrom(int place) {
        // Locals, which the copies into the prefix cannot change.
        const Member* const first = first_;
        char* const prefix = prefix_;
        const Separator separator = separator_;
        const int last = k_ - 1;
        std::size_t at = start_[place];
        std::uint64_t hash = hashBefore_[place];
        for (int m = place; m < last; ++m) {
            start_[m] = at;
            hashBefore_[m] = hash;
            const Member& member = first[index_[m]];
            CopyWide<0>(prefix + at, member.ended, member.size - 2);
            at += member.size - 2;
            CopyWide<0>(prefix + at, separator.text, separator.size);
            at += separator.size;
            hash = rt::Joined(rt::Joined(hash, member.power, member.hash), separator.power,
                              separator.hash);
        }
        start_[last] = at;
        hashBefore_[last] = hash;
    }

    const Member* first_;
    std::int32_t n_;
    int k_;
    char* prefix_;
    Separator separator_;
    std::array<std::int32_t, kMaxMembers> index_{};
    std::array<std::size_t, kMaxMembers> start_{};         // where each place begins
    std::array<std::uint64_t, kMaxMembers> hashBefore_{};  // the hash of the text before it
};

}  // namespace chainmaker
