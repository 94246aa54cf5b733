#pragma once
// The entries of the exclusion by the prefix of a tuple that they can be a line of. A line is the
// prefix (empty, or ending with the separator) followed by its last member, so an entry E that
// ends with member j (compared byte for byte) gives the record (E less those bytes, j); the line
// of prefix P and member j is E exactly when E less the member is P. The records are found by
// the hash of that rest, and a bit array of those hashes answers most prefixes without them.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "combination_writer.h"
#include "hash_filter.h"
#include "large_pages.h"
#include "members.h"

namespace chainmaker {

class PrefixIndex {
  public:
    PrefixIndex(const Exclusion& exclusion, const Members& members, std::string_view separator);

    // The prefixes that some entry fits, by their hash (TextHash) spread by spread().
    const rt::HashFilter& filter() const noexcept { return filter_; }
    std::uint64_t spread() const noexcept { return spread_; }

    // A look-up in two steps, the second reading what the first brought from memory: asked for
    // ahead of the look-up, they let the reads overlap the writing.
    void prefetchBucket(std::uint64_t hash) const noexcept {
        __builtin_prefetch(starts_.as<std::uint32_t>() + BucketOf(hash));
    }
    void prefetchRecords(std::uint64_t hash) const noexcept {
        const std::uint32_t* const starts = starts_.as<std::uint32_t>() + BucketOf(hash);
        const std::uint32_t end = std::min(starts[1], starts[0] + 4);
        for (std::uint32_t r = starts[0]; r < end; ++r)
            __builtin_prefetch(records_.as<Record>() + r);
    }

    // Appends to `out` each member j whose line with this prefix is an entry; `hash` is the
    // exclusion's hash of the prefix. A member may come more than once (from an entry that is in
    // the exclusion twice).
    void excludedMembers(std::string_view prefix, std::uint64_t hash,
                         std::vector<std::int32_t>& out) const {
        if (!starts_.data()) return;
        const std::uint32_t* const starts = starts_.as<std::uint32_t>() + BucketOf(hash);
        const Record* const records = records_.as<Record>();
        for (std::uint32_t r = starts[0]; r < starts[1]; ++r) {
            const Record& record = records[r];
            if (record.hash != hash || record.rest != prefix.size()) continue;
            const std::size_t held = std::min(prefix.size(), Record::kHeld);
            if (!SameBytes(record.start, prefix.data(), held) ||
                !SameBytes(record.entry + held, prefix.data() + held, prefix.size() - held)) {
                continue;
            }
            out.insert(out.end(), same_.begin() + sameStart_[record.text],
                       same_.begin() + sameStart_[record.text + 1]);
        }
    }

  private:
    // An entry less a member (its rest), on one cache line with the start of its text, so that
    // a rest of up to kHeld bytes is compared without reading the entry.
    struct alignas(64) Record {
        static constexpr std::size_t kHeld = 36;
        std::uint64_t hash;  // of the rest
        const char* entry;
        std::size_t rest;   // the size of the rest
        std::int32_t text;  // the member's text: members same_[sameStart_[text]...] have it
        char start[kHeld];  // the rest's first bytes
    };
    static_assert(sizeof(Record) == 64);
    // A record before it has its place.
    struct Found {
        std::uint64_t hash;
        const char* entry;
        std::size_t rest;
        std::int32_t text;
    };

    std::size_t BucketOf(std::uint64_t hash) const noexcept {
        return static_cast<std::size_t>((hash * spread_) >> shift_);
    }
    // The steps of building, in their order.
    struct Texts;
    Texts groupMembersByText(const Members& members, const TextHash& textHash);
    std::size_t findRecords(const Exclusion& exclusion, const Members& members,
                            std::string_view separator, const Texts& texts, rt::LargePages& found);
    void placeRecords(const Found* found, std::size_t count, int filterBits);

    // The members by text, members of equal text together: one record stands for them all,
    // however often a text is in the list.
    std::vector<std::int32_t> same_;
    std::vector<std::size_t> sameStart_;  // for each text, where its members begin; one more

    rt::HashFilter filter_;
    // The records by bucket: bucket b is records [starts[b], starts[b + 1]).
    rt::LargePages records_;  // of Record
    rt::LargePages starts_;   // of std::uint32_t, one more than there are buckets
    unsigned shift_ = 63;
    std::uint64_t spread_ = 1;
};

}  // namespace chainmaker
