#pragma once
// The prefix of a tuple of block k, kept up to date like an odometer. The prefix is members 1 to
// k - 1 of the line, each followed by the separator; the innermost index, which runs over all
// members for every prefix, is not part of it. When the prefix advances, only the members from
// the place that changed onwards are written again, and the hash of the text before each place
// is kept, so that the hash of a prefix follows from the one before it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "combination_writer.h"
#include "members.h"

namespace chainmaker {

class TupleOdometer {
  public:
    // `prefix` has room for k - 1 of the longest member with its separator, and kOverrun bytes
    // more. The odometer starts at the first prefix (every index 0).
    TupleOdometer(const Members& members, int k, std::string_view separator, const TextHash& hash,
                  char* prefix)
        : first_(members.member.data()),
          n_(static_cast<std::int32_t>(members.member.size())),
          k_(k),
          prefix_(prefix),
          separator_(separator),
          separatorSize_(separator.size()),
          separatorHash_(hash(separator)),
          separatorPower_(hash.power(separator.size())) {
        // The separator with room to be copied in whole 16-byte pieces.
        separator_.resize(separator.size() + 16);
        rewriteFrom(0);
    }

    char* prefix() const noexcept { return prefix_; }
    std::size_t prefixSize() const noexcept { return start_[k_ - 1]; }
    std::uint64_t prefixHash() const noexcept { return hashBefore_[k_ - 1]; }
    // The index of the member at `place` (0 to k - 2) of the prefix.
    std::int32_t index(int place) const noexcept { return index_[place]; }
    // The hashes of the prefixes that differ from this one in the last place at most (for
    // k > 1): small enough to be kept in registers by a loop over the members.
    struct Siblings {
        std::uint64_t before;  // the hash of the text before the last place
        std::uint64_t separatorHash;
        std::uint64_t separatorPower;

        std::uint64_t hashWith(const Member& last) const noexcept {
            return (before * last.power + last.hash) * separatorPower + separatorHash;
        }
    };
    Siblings siblings() const noexcept {
        return Siblings{hashBefore_[k_ - 2], separatorHash_, separatorPower_};
    }

    // Moves to the next prefix: returns the place whose index went up (the places after it went
    // back to 0), or -1 once every prefix has been seen.
    int advance() {
        int place = k_ - 2;
        while (place >= 0 && ++index_[place] == n_) {
            index_[place] = 0;
            --place;
        }
        if (place >= 0) rewriteFrom(place);
        return place;
    }

  private:
    void rewriteFrom(int place) {
        std::size_t at = start_[place];
        std::uint64_t hash = hashBefore_[place];
        for (int m = place; m < k_ - 1; ++m) {
            start_[m] = at;
            hashBefore_[m] = hash;
            const Member& member = first_[index_[m]];
            CopyWide<0>(prefix_ + at, member.ended, member.size - 2);
            at += member.size - 2;
            CopyWide<0>(prefix_ + at, separator_.data(), separatorSize_);
            at += separatorSize_;
            hash = hash * member.power + member.hash;
            hash = hash * separatorPower_ + separatorHash_;
        }
        start_[k_ - 1] = at;
        hashBefore_[k_ - 1] = hash;
    }

    const Member* first_;
    std::int32_t n_;
    int k_;
    char* prefix_;
    std::string separator_;  // padded by 16 bytes
    std::size_t separatorSize_;
    std::uint64_t separatorHash_;
    std::uint64_t separatorPower_;
    std::array<std::int32_t, kMaxMembers> index_{};
    std::array<std::size_t, kMaxMembers> start_{};         // where each place begins
    std::array<std::uint64_t, kMaxMembers> hashBefore_{};  // the hash of the text before it
};

}  // namespace chainmaker
