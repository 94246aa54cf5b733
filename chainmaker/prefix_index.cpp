#include "prefix_index.h"

#include <algorithm>
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

// The records allowed for `entries` distinct entries of `bytes` bytes: one for each entry and one
// for every 16 bytes, and never fewer than 4096.
std::size_t RecordsAllowed(std::size_t entries, std::uint64_t bytes) {
    return std::max<std::size_t>(4096, entries + static_cast<std::size_t>(bytes / 16));
}

// rt::HashOf(text, base), four bytes a step: the multiplications of a step do not wait for each
// other. `powers` holds the base to the powers 1 to 4.
std::uint64_t QuickHash(std::string_view text, const std::uint64_t (&powers)[4]) noexcept {
    const auto byte = [&text](std::size_t i) -> std::uint64_t {
        return static_cast<unsigned char>(text[i]) + 1;
    };
    std::uint64_t hash = 0;
    std::size_t i = 0;
    for (; i + 4 <= text.size(); i += 4) {
        // Five terms below 2^61 each: the sum stays below 2^64.
        const std::uint64_t sum = rt::MulMod(hash, powers[3]) + rt::MulMod(byte(i), powers[2]) +
                                  rt::MulMod(byte(i + 1), powers[1]) +
                                  rt::MulMod(byte(i + 2), powers[0]) + byte(i + 3);
        hash = rt::Reduced((sum & rt::kHashPrime) + (sum >> 61));
    }
    for (; i < text.size(); ++i) hash = rt::Reduced(rt::Extend(hash, text[i], powers[0]));
    return hash;
}

}  // namespace

// The different texts of the members, by hash, with a bit array of their hashes; and their
// different lengths, each with the inverse (modulo the hash's prime) of the power that extends a
// hash past that many bytes.
struct PrefixIndex::Texts {
    std::vector<std::pair<std::uint64_t, std::int32_t>> byHash;  // (hash, text)
    rt::HashFilter hashes;
    std::vector<std::size_t> lengths;  // ascending
    std::vector<std::uint64_t> inverses;
};

std::uint64_t PrefixIndex::MostBytes(std::uint64_t entries, std::uint64_t bytes,
                                     std::uint64_t members) {
    const std::uint64_t records = RecordsAllowed(static_cast<std::size_t>(entries), bytes);
    // The distinct entries; each record as found, placed, and in two buckets at most; the two
    // bit arrays; for each member its place among the texts, its text's start, hash, length and
    // inverse.
    return entries * sizeof(Entry) + records * (sizeof(Found) + sizeof(Record) + 8) +
           2 * (std::uint64_t{1} << 21) +
           members * (sizeof(std::int32_t) + sizeof(std::size_t) +
                      sizeof(std::pair<std::uint64_t, std::int32_t>) + 2 * sizeof(std::uint64_t));
}

PrefixIndex::PrefixIndex(const Exclusion& exclusion, const Members& members,
                         std::string_view separator)
    : spread_(exclusion.hash().mix) {
    const rt::TextHash& textHash = exclusion.hash();
    // The entries in order of hash; equal ones once (an entry is kept unless one kept before it
    // with the same hash has its text).
    const std::uint64_t b2 = rt::MulMod(textHash.base, textHash.base);
    const std::uint64_t powers[4] = {textHash.base, b2, rt::MulMod(b2, textHash.base),
                                     rt::MulMod(b2, b2)};
    std::vector<Entry> entries(exclusion.size());
    for (std::size_t e = 0; e < entries.size(); ++e)
        entries[e] = Entry{QuickHash(exclusion[e], powers), static_cast<std::uint32_t>(e)};
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.hash != b.hash ? a.hash < b.hash : a.at < b.at;
    });
    std::size_t kept = 0;
    for (std::size_t e = 0, run = 0; e < entries.size(); ++e) {
        if (kept == 0 || entries[kept - 1].hash != entries[e].hash) run = kept;
        bool equal = false;
        for (std::size_t k = run; k < kept && !equal; ++k)
            equal = exclusion[entries[k].at] == exclusion[entries[e].at];
        if (!equal) entries[kept++] = entries[e];
    }
    entries.resize(kept);
    std::uint64_t bytes = 0;
    for (const Entry& entry : entries) bytes += exclusion[entry.at].size();

    const Texts texts = groupMembersByText(members, textHash);
    rt::LargePages found;  // of Found
    std::size_t count = 0;
    const std::size_t most = exclusion.recordsAllowed() > 0 ? exclusion.recordsAllowed()
                                                            : RecordsAllowed(entries.size(), bytes);
    if (!findRecords(exclusion, entries, members, separator, texts, most, found, count)) {
        // Too many ways to be a line: each entry once, as a whole line.
        byLine_ = true;
        count = entries.size();
        found = rt::LargePages(count * sizeof(Found));
        for (std::size_t e = 0; e < count; ++e) {
            const std::string_view entry = exclusion[entries[e].at];
            found.as<Found>()[e] = Found{entries[e].hash, entry.data(), entry.size(), -1};
        }
    }
    recordCount_ = count;
    placeRecords(found.as<Found>(), count, exclusion.filterBits());
}

PrefixIndex::Texts PrefixIndex::groupMembersByText(const Members& members,
                                                   const rt::TextHash& textHash) {
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
        texts.inverses.push_back(rt::InverseOf(textHash.power(length)));
    return texts;
}

bool PrefixIndex::findRecords(const Exclusion& exclusion, const std::vector<Entry>& entries,
                              const Members& members, std::string_view separator,
                              const Texts& texts, std::size_t most, rt::LargePages& found,
                              std::size_t& count) {
    const std::uint64_t base = exclusion.hash().base;
    const std::vector<std::size_t>& lengths = texts.lengths;
    count = 0;
    for (const Entry& e : entries) {
        const std::string_view entry = exclusion[e.at];
        const std::uint64_t whole = e.hash;
        // The hash of the last bytes, extended backwards one byte at a time up to each length.
        std::uint64_t last = 0;
        std::uint64_t power = 1;  // the base to the power `taken`
        std::size_t taken = 0;
        for (std::size_t l = 0; l < lengths.size() && lengths[l] <= entry.size(); ++l) {
            for (; taken < lengths[l]; ++taken, power = rt::MulMod(power, base)) {
                const std::uint64_t byte =
                    static_cast<unsigned char>(entry[entry.size() - 1 - taken]);
                last = rt::Reduced(last + rt::MulMod(byte + 1, power));
            }
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
                // Joined(hash(rest), base^length, last) == whole.
                const std::uint64_t restHash =
                    rt::MulMod(whole >= last ? whole - last : whole + rt::kHashPrime - last,
                               texts.inverses[l]);
                if (count == most || count == UINT32_MAX) {
                    count = 0;
                    return false;
                }
                found.grow((count + 1) * sizeof(Found), count * sizeof(Found));
                found.as<Found>()[count++] = Found{restHash, entry.data(), rest, it->second};
            }
        }
    }
    return true;
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
