#pragma once
// The entries of the exclusion by the prefix of a tuple that they can be a line of. A line is the
// prefix (empty, or ending with the separator) followed by its last member, so an entry E that
// ends with member j (compared byte for byte) gives the record (E less those bytes, j); the line
// of prefix P and member j is E exactly when E less the member is P. The records are found by
// the hash of that rest, and a bit array of those hashes answers most prefixes without them.
//
// Equal entries count once. An entry usually gives one record, but one that ends with many
// members of different lengths (a a a a ... with the members a, a a, a a a, ...) gives one for
// each: when the records would outnumber the entries and a sixteenth of their bytes, the index
// holds the entries themselves instead, one record each, and each line is looked up by its own
// hash (byLine), so that its memory stays within a small multiple of the entries' bytes.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "combination_types.h"
#include "hash_filter.h"
#include "large_pages.h"
#include "members.h"
#include "text_hash.h"

namespace chainmaker {

class PrefixIndex {
  public:
    PrefixIndex(const Exclusion& exclusion, const Members& members, std::string_view separator);

    // The most bytes an index of `entries` entries of `bytes` bytes in all (line ends not
    // counted), for a list of `members` members, takes while it is built.
    static std::uint64_t MostBytes(std::uint64_t entries, std::uint64_t bytes,
                                   std::uint64_t members);

    // Whether the index holds whole entries, each line to be looked up with excludedByLine;
    // otherwise the records of prefixes, for excludedMembers.
    bool byLine() const noexcept { return byLine_; }
    // The records made (one for each distinct entry when byLine).
    std::size_t records() const noexcept { return recordCount_; }

    // The prefixes that some entry fits (the lines, when byLine), by their hash (rt::TextHash)
    // spread by spread().
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

    // Appends to `out` each member j whose line with this prefix is an entry, once; `hash` is the
    // exclusion's hash of the prefix. Not when byLine.
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

    // As excludedMembers, when byLine: each of the members [first, first + n) is looked up.
    void excludedByLine(std::string_view prefix, std::uint64_t hash, const Member* first,
                        std::int32_t n, std::vector<std::int32_t>& out) const {
        if (!starts_.data()) return;
        const rt::HashFilter::View filter = filter_.view();
        const std::uint64_t spread = spread_;
        const std::uint32_t* const starts = starts_.as<std::uint32_t>();
        const Record* const records = records_.as<Record>();
        for (std::int32_t j = 0; j < n; ++j) {
            const Member& m = first[j];
            const std::uint64_t line = rt::Joined(hash, m.power, m.hash);
            if (!filter.mayContain(line * spread)) continue;
            const std::size_t size = prefix.size() + m.size - 2;
            const std::size_t bucket = BucketOf(line);
            for (std::uint32_t r = starts[bucket]; r < starts[bucket + 1]; ++r) {
                const Record& record = records[r];
                if (record.hash == line && record.rest == size &&
                    SameBytes(record.entry, prefix.data(), prefix.size()) &&
                    SameBytes(record.entry + prefix.size(), m.ended, m.size - 2)) {
                    out.push_back(j);
                    break;  // the entries are distinct
                }
            }
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
    // A distinct entry: its hash, and its number in the exclusion.
    struct Entry {
        std::uint64_t hash;
        std::uint32_t at;
    };

    // The steps of building, in their order.
    struct Texts;
    Texts groupMembersByText(const Members& members, const rt::TextHash& textHash);
    // The records, or none and false when there would be more than `most`.
    bool findRecords(const Exclusion& exclusion, const std::vector<Entry>& entries,
                     const Members& members, std::string_view separator, const Texts& texts,
                     std::size_t most, rt::LargePages& found, std::size_t& count);
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
    bool byLine_ = false;
    std::size_t recordCount_ = 0;
};

}  // namespace chainmaker
