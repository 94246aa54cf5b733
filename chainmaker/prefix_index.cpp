#include "prefix_index.h"

#include <cstring>
#include <new>
#include <utility>

namespace chainmaker {
namespace {

// The size of a bit array for `count` hashes: `chosen` when given, otherwise about 32 to 64 bits
// a hash, from 2^12 to 2^24 bits (512 bytes to 2 MiB), so that a hash that is not in the set
// passes with a chance of 1 in 300 to 1 in 1000 while the array stays in the cache.
int FilterBits(std::size_t count, int chosen = 0) {
    return chosen > 0 ? chosen : rt::HashFilter::BitsFor(count, 32, 12, 24);
}

}  // namespace

// The different texts of the members, by hash, with a bit array of their hashes; and their
// different lengths, each with the inverse (modulo 2^64; the base is odd) of the power that
// extends a hash past that many bytes.
struct PrefixIndex::Texts {
    std::vector<std::pair<std::uint64_t, std::int32_t>> byHash;  // (hash, text)
    rt::HashFilter hashes;
    std::vector<std::size_t> lengths;  // ascending
    std::vector<std::uint64_t> inverses;
};

PrefixIndex::PrefixIndex(const Exclusion& exclusion, const Members& members,
                         std::string_view separator)
    : spread_(exclusion.hash().spread()) {
    const Texts texts = groupMembersByText(members, exclusion.hash());
    rt::LargePages found;  // of Found
    const std::size_t count = findRecords(exclusion, members, separator, texts, found);
    placeRecords(found.as<Found>(), count, exclusion.filterBits());
}

PrefixIndex::Texts PrefixIndex::groupMembersByText(const Members& members,
                                                   const TextHash& textHash) {
    // The members in order of hash, then text.
    const std::vector<Member>& member = members.member;
    same_.resize(member.size());
    for (std::size_t j = 0; j < member.size(); ++j) same_[j] = static_cast<std::int32_t>(j);
    std::sort(same_.begin(), same_.end(), [&](std::int32_t a, std::int32_t b) {
        if (member[a].hash != member[b].hash) return member[a].hash < member[b].hash;
        if (member[a].text() != member[b].text()) return member[a].text() < member[b].text();
        return a < b;
    });
    Texts texts;
    texts.hashes = rt::HashFilter(FilterBits(member.size()));
    for (std::size_t at = 0; at < same_.size(); ++at) {
        const Member& m = member[same_[at]];
        if (at > 0 && m.hash == member[same_[at - 1]].hash &&
            m.text() == member[same_[at - 1]].text()) {
            continue;
        }
        texts.byHash.emplace_back(m.hash, static_cast<std::int32_t>(sameStart_.size()));
        sameStart_.push_back(at);
        texts.hashes.add(m.hash * spread_);
        texts.lengths.push_back(m.size - 2);
    }
    sameStart_.push_back(same_.size());
    std::sort(texts.lengths.begin(), texts.lengths.end());
    texts.lengths.erase(std::unique(texts.lengths.begin(), texts.lengths.end()),
                        texts.lengths.end());
    for (const std::size_t length : texts.lengths)
        texts.inverses.push_back(Inverse(textHash.power(length)));
    return texts;
}

std::size_t PrefixIndex::findRecords(const Exclusion& exclusion, const Members& members,
                                     std::string_view separator, const Texts& texts,
                                     rt::LargePages& found) {
    const TextHash& textHash = exclusion.hash();
    const std::vector<std::size_t>& lengths = texts.lengths;
    std::size_t count = 0;
    for (std::size_t e = 0; e < exclusion.size(); ++e) {
        const std::string_view entry = exclusion[e];
        const std::uint64_t whole = QuickHash(entry, textHash);
        // The hash of the last bytes, extended backwards one byte at a time up to each length.
        std::uint64_t last = 0;
        std::uint64_t power = 1;  // the base to the power `taken`
        std::size_t taken = 0;
        for (std::size_t l = 0; l < lengths.size() && lengths[l] <= entry.size(); ++l) {
            for (; taken < lengths[l]; ++taken, power *= textHash.base())
                last += static_cast<unsigned char>(entry[entry.size() - 1 - taken]) * power;
            if (!texts.hashes.mayContain(last * spread_)) continue;
            const std::size_t rest = entry.size() - lengths[l];
            if (rest > 0 && !entry.substr(0, rest).ends_with(separator)) continue;
            for (auto it = std::lower_bound(texts.byHash.begin(), texts.byHash.end(),
                                            std::make_pair(last, std::int32_t{0}));
                 it != texts.byHash.end() && it->first == last; ++it) {
                const Member& m = members.member[same_[sameStart_[it->second]]];
                if (m.size - 2 != lengths[l] ||
                    !SameBytes(m.ended, entry.data() + rest, lengths[l])) {
                    continue;
                }
                // Hash(rest) * base^length + last == whole.
                const std::uint64_t restHash = (whole - last) * texts.inverses[l];
                if (count == UINT32_MAX) throw std::bad_alloc();
                found.grow((count + 1) * sizeof(Found), count * sizeof(Found));
                found.as<Found>()[count++] = Found{restHash, entry.data(), rest, it->second};
            }
        }
    }
    return count;
}

void PrefixIndex::placeRecords(const Found* found, std::size_t count, int filterBits) {
    // The bit array, and the records sorted by bucket (a counting sort).
    filter_ = rt::HashFilter(FilterBits(count, filterBits));
    if (count == 0) return;
    int bits = 1;
    while ((std::size_t{1} << bits) < count) ++bits;
    shift_ = static_cast<unsigned>(64 - bits);
    const std::size_t buckets = std::size_t{1} << bits;
    starts_ = rt::LargePages((buckets + 1) * sizeof(std::uint32_t));
    std::uint32_t* const starts = starts_.as<std::uint32_t>();
    for (std::size_t r = 0; r < count; ++r) {
        filter_.add(found[r].hash * spread_);
        ++starts[BucketOf(found[r].hash)];
    }
    // starts[b] becomes the end of bucket b; each record, from the last, goes just before the
    // end of its bucket, which leaves starts[b] at the bucket's start.
    for (std::size_t b = 1; b < buckets; ++b) starts[b] += starts[b - 1];
    starts[buckets] = static_cast<std::uint32_t>(count);
    records_ = rt::LargePages(count * sizeof(Record));
    Record* const records = records_.as<Record>();
    for (std::size_t r = count; r-- > 0;) {
        const Found& from = found[r];
        Record& record = records[--starts[BucketOf(from.hash)]];
        record.hash = from.hash;
        record.entry = from.entry;
        record.rest = from.rest;
        record.text = from.text;
        const std::size_t held = std::min(from.rest, Record::kHeld);
        if (held > 0) std::memcpy(record.start, from.entry, held);
    }
}

}  // namespace chainmaker
