#include "chainmaker_job.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <utility>

#include "chunk_writer.h"
#include "files.h"
#include "hash_filter.h"
#include "hash_seed.h"
#include "text.h"

namespace chainmaker {

TextHash::TextHash(std::uint64_t seed) {
    std::uint64_t state = seed == 0 ? rt::RandomSeed() : seed;
    base_ = rt::NextFromSeed(state) | 1;  // odd, so that its powers can be divided by
    spread_ = rt::NextFromSeed(state) | 1;
}

void ReadList(const std::filesystem::path& path, StringList& list, rt::Counter32& count) {
    rt::LineReader in(path);
    while (!in.atEnd()) {
        const std::string_view entry = rt::Trim(in.readLine());
        if (entry.empty()) continue;
        ++count;
        list.emplace_back(entry);
    }
    in.close();
}

namespace {

// Copies `size` bytes; with kFixed > 0 (and size <= kFixed) exactly kFixed bytes, otherwise in
// whole 16-byte pieces. Either way up to 64 bytes past the end of both sides may be read or
// written: the caller has room for that.
template <std::size_t kFixed>
inline void CopyWide(char* to, const char* from, std::size_t size) {
    if constexpr (kFixed > 0) {
        __builtin_memcpy(to, from, kFixed);
    } else {
        for (std::size_t at = 0; at < size; at += 16) __builtin_memcpy(to + at, from + at, 16);
    }
}
constexpr std::size_t kOverrun = ChunkWriter::kSlack;

// TextHash, four bytes a step: the multiplications of a step do not wait for each other.
inline std::uint64_t QuickHash(std::string_view text, const TextHash& textHash) noexcept {
    const std::uint64_t b1 = textHash.base(), b2 = b1 * b1, b3 = b2 * b1, b4 = b2 * b2;
    const auto byte = [&text](std::size_t i) -> std::uint64_t {
        return static_cast<unsigned char>(text[i]);
    };
    std::uint64_t hash = 0;
    std::size_t i = 0;
    for (; i + 4 <= text.size(); i += 4)
        hash = hash * b4 + (byte(i) * b3 + byte(i + 1) * b2 + byte(i + 2) * b1 + byte(i + 3));
    for (; i < text.size(); ++i) hash = hash * b1 + byte(i);
    return hash;
}

// The inverse of an odd number modulo 2^64 (Newton's iteration, each step doubling the bits
// that are right).
inline std::uint64_t Inverse(std::uint64_t odd) noexcept {
    std::uint64_t inverse = odd;  // right in the lowest 3 bits
    for (int i = 0; i < 5; ++i) inverse *= 2 - odd * inverse;
    return inverse;
}

// memcmp for `size` bytes, which may be none (and then at a null pointer).
inline bool SameBytes(const char* a, const char* b, std::size_t size) {
    return size == 0 || std::memcmp(a, b, size) == 0;
}

// An entry as a member of a line: its text followed by CR LF, with its hash and the power that
// extends a hash past it.
struct Member {
    const char* ended;
    std::size_t size;  // with CR LF
    std::uint64_t hash;
    std::uint64_t power;
};

// The entries laid out once, each followed by CR LF, with kOverrun bytes to spare at the end.
struct Members {
    std::unique_ptr<char[]> text;
    std::vector<Member> member;
    std::size_t longest = 0;  // the longest entry, without CR LF

    Members(const StringList& list, std::int32_t n, const TextHash& hash)
        : member(static_cast<std::size_t>(n)) {
        std::size_t total = kOverrun;
        for (std::int32_t i = 0; i < n; ++i) total += list[i].size() + 2;
        text = std::make_unique<char[]>(total);
        std::size_t at = 0;
        for (std::int32_t i = 0; i < n; ++i) {
            const std::string_view entry = list[i];
            if (!entry.empty()) std::memcpy(text.get() + at, entry.data(), entry.size());
            text[at + entry.size()] = '\r';
            text[at + entry.size() + 1] = '\n';
            member[i] = Member{text.get() + at, entry.size() + 2, hash(entry),
                               hash.power(entry.size())};
            longest = std::max(longest, entry.size());
            at += entry.size() + 2;
        }
    }
};

// The entries of the exclusion by the prefix of a tuple that they can be a line of. A line is
// the prefix (empty, or ending with the separator) followed by its last member, so an entry E
// that ends with member j (compared byte for byte) gives the record (E less those bytes, j); the
// line of prefix P and member j is E exactly when E less the member is P. The records are found
// by the hash of that rest, and a bit array of those hashes answers most prefixes without them.
class PrefixIndex {
  public:
    PrefixIndex() = default;
    PrefixIndex(const Exclusion& exclusion, const Members& members, std::string_view separator);

    const HashFilter& filter() const noexcept { return filter_; }

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
    // exclusion's hash of the prefix. A member may come more than once (from an entry that is in the
    // exclusion twice).
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
    std::size_t BucketOf(std::uint64_t hash) const noexcept {
        return static_cast<std::size_t>((hash * spread_) >> shift_);
    }

    // The members by text, members of equal text together: one record stands for them all,
    // however often a text is in the list.
    std::vector<std::int32_t> same_;
    std::vector<std::size_t> sameStart_;  // for each text, where its members begin; one more

    HashFilter filter_;
    // The records by bucket: bucket b is records [starts[b], starts[b + 1]).
    rt::LargePages records_;  // of Record
    rt::LargePages starts_;   // of std::uint32_t, one more than there are buckets
    unsigned shift_ = 63;
    std::uint64_t spread_ = 1;
};

PrefixIndex::PrefixIndex(const Exclusion& exclusion, const Members& members,
                         std::string_view separator)
    : spread_(exclusion.hash().spread()) {
    const TextHash& textHash = exclusion.hash();
    // The members grouped by text (in order of hash, then text), the texts by hash, and the
    // different lengths.
    const std::vector<Member>& member = members.member;
    auto text = [&member](std::int32_t j) {
        return std::string_view(member[j].ended, member[j].size - 2);
    };
    same_.resize(member.size());
    for (std::size_t j = 0; j < member.size(); ++j) same_[j] = static_cast<std::int32_t>(j);
    std::sort(same_.begin(), same_.end(), [&](std::int32_t a, std::int32_t b) {
        if (member[a].hash != member[b].hash) return member[a].hash < member[b].hash;
        if (text(a) != text(b)) return text(a) < text(b);
        return a < b;
    });
    std::vector<std::pair<std::uint64_t, std::int32_t>> byHash;  // (hash, text)
    std::vector<std::size_t> lengths;
    HashFilter memberHashes(member.size(), 0, spread_);
    for (std::size_t at = 0; at < same_.size(); ++at) {
        const std::int32_t j = same_[at];
        if (at > 0 && member[j].hash == member[same_[at - 1]].hash &&
            text(j) == text(same_[at - 1])) {
            continue;
        }
        byHash.emplace_back(member[j].hash, static_cast<std::int32_t>(sameStart_.size()));
        sameStart_.push_back(at);
        memberHashes.add(member[j].hash);
        lengths.push_back(member[j].size - 2);
    }
    sameStart_.push_back(same_.size());
    std::sort(lengths.begin(), lengths.end());
    lengths.erase(std::unique(lengths.begin(), lengths.end()), lengths.end());
    // For each length, the inverse (modulo 2^64; the base is odd) of the power that extends a
    // hash past that many bytes.
    std::vector<std::uint64_t> inverses;
    for (const std::size_t length : lengths) inverses.push_back(Inverse(textHash.power(length)));

    // The records, entry by entry.
    struct Found {
        std::uint64_t hash;
        const char* entry;
        std::size_t rest;
        std::int32_t text;
    };
    rt::LargePages found;  // of Found
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
            if (!memberHashes.mayContain(last)) continue;
            const std::size_t rest = entry.size() - lengths[l];
            if (rest > 0 && !entry.substr(0, rest).ends_with(separator)) continue;
            for (auto it = std::lower_bound(byHash.begin(), byHash.end(),
                                            std::make_pair(last, std::int32_t{0}));
                 it != byHash.end() && it->first == last; ++it) {
                const Member& m = member[same_[sameStart_[it->second]]];
                if (m.size - 2 != lengths[l] ||
                    !SameBytes(m.ended, entry.data() + rest, lengths[l])) {
                    continue;
                }
                // Hash(rest) * base^length + last == whole.
                const std::uint64_t restHash = (whole - last) * inverses[l];
                if (count == UINT32_MAX) throw std::bad_alloc();
                found.grow((count + 1) * sizeof(Found), count * sizeof(Found));
                found.as<Found>()[count++] = Found{restHash, entry.data(), rest, it->second};
            }
        }
    }

    // The bit array, and the records sorted by bucket (a counting sort).
    filter_ = HashFilter(count, exclusion.filterBits(), spread_);
    if (count == 0) return;
    int bits = 1;
    while ((std::size_t{1} << bits) < count) ++bits;
    shift_ = static_cast<unsigned>(64 - bits);
    const std::size_t buckets = std::size_t{1} << bits;
    starts_ = rt::LargePages((buckets + 1) * sizeof(std::uint32_t));
    std::uint32_t* const starts = starts_.as<std::uint32_t>();
    const Found* const unsorted = found.as<Found>();
    for (std::size_t r = 0; r < count; ++r) {
        filter_.add(unsorted[r].hash);
        ++starts[BucketOf(unsorted[r].hash)];
    }
    // starts[b] becomes the end of bucket b; each record, from the last, goes just before the
    // end of its bucket, which leaves starts[b] at the bucket's start.
    for (std::size_t b = 1; b < buckets; ++b) starts[b] += starts[b - 1];
    starts[buckets] = static_cast<std::uint32_t>(count);
    records_ = rt::LargePages(count * sizeof(Record));
    Record* const records = records_.as<Record>();
    for (std::size_t r = count; r-- > 0;) {
        const Found& from = unsorted[r];
        Record& record = records[--starts[BucketOf(from.hash)]];
        record.hash = from.hash;
        record.entry = from.entry;
        record.rest = from.rest;
        record.text = from.text;
        const std::size_t held = std::min(from.rest, Record::kHeld);
        if (held > 0) std::memcpy(record.start, from.entry, held);
    }
}

// The lines of one prefix with the members [from, to), each the prefix and the member with its
// CR LF, formed at `out`. Returns the end of what was formed. The caller makes sure the lines
// fit, kOverrun bytes included.
template <std::size_t kPrefixCopy, std::size_t kMemberCopy>
char* FormLines(char* out, const char* prefix, std::size_t prefixSize, const Member* from,
                const Member* to) {
    // A copy of a short prefix that the stores to `out` cannot touch, so that it stays in
    // registers.
    char held[kPrefixCopy > 0 ? kPrefixCopy : 1];
    if constexpr (kPrefixCopy > 0) __builtin_memcpy(held, prefix, kPrefixCopy);
    for (const Member* m = from; m != to; ++m) {
        if constexpr (kPrefixCopy > 0) {
            __builtin_memcpy(out, held, kPrefixCopy);
        } else {
            CopyWide<0>(out, prefix, prefixSize);
        }
        CopyWide<kMemberCopy>(out + prefixSize, m->ended, m->size);
        out += prefixSize + m->size;
    }
    return out;
}

using FormFunction = char* (*)(char*, const char*, std::size_t, const Member*, const Member*);

template <std::size_t kMemberCopy>
FormFunction FormFor(std::size_t prefixSize) {
    if (prefixSize <= 16) return FormLines<16, kMemberCopy>;
    if (prefixSize <= 32) return FormLines<32, kMemberCopy>;
    if (prefixSize <= 48) return FormLines<48, kMemberCopy>;
    if (prefixSize <= 64) return FormLines<64, kMemberCopy>;
    return FormLines<0, kMemberCopy>;
}

FormFunction FormFor(std::size_t prefixSize, std::size_t memberSize) {
    if (memberSize <= 16) return FormFor<16>(prefixSize);
    if (memberSize <= 32) return FormFor<32>(prefixSize);
    return FormFor<0>(prefixSize);
}

// Block k. The prefix buffer holds members 1 to k - 1, each followed by the separator; start
// says where each member begins and prefixHash the hash of the text before it. For every
// prefix, the innermost index runs over all entries, less those whose line the exclusion holds.
// Then the prefix advances like an odometer and only the members from the one that changed
// onwards are written again.
void PrintBlock(const Members& members, int k, std::string_view separator, const TextHash& hash,
                const PrefixIndex* excluded, ChunkWriter& writer, char* prefix) {
    const auto n = static_cast<std::int32_t>(members.member.size());
    const Member* const first = members.member.data();
    const Member* const last = first + n;
    std::array<std::int32_t, kMaxMembers> index{};
    std::array<std::size_t, kMaxMembers> start{};
    std::array<std::uint64_t, kMaxMembers> prefixHash{};
    const std::uint64_t separatorHash = hash(separator);
    const std::uint64_t separatorPower = hash.power(separator.size());
    const std::size_t longestMember = members.longest + 2;
    // The separator with room to be copied in whole 16-byte pieces.
    std::string paddedSeparator(separator);
    paddedSeparator.resize(separator.size() + 16);

    // For every j, the hash of the prefix with member j at place k - 1, and whether the bit
    // array lets it pass: asked for all j at once whenever the members before that place
    // change, so that the reads of the array overlap.
    std::vector<std::uint64_t> groupHash(excluded ? static_cast<std::size_t>(n) : 0);
    std::vector<char> fits(excluded ? static_cast<std::size_t>(n) + 2 : 0);
    auto askFilter = [&] {
        if (!excluded) return;
        const HashFilter::View filter = excluded->filter().view();
        if (k == 1) {
            fits[0] = filter.mayContain(0);
            return;
        }
        const std::uint64_t before = prefixHash[k - 2];
        for (std::int32_t j = 0; j < n; ++j) {
            const std::uint64_t hash =
                (before * first[j].power + first[j].hash) * separatorPower + separatorHash;
            groupHash[j] = hash;
            fits[j] = filter.mayContain(hash);
        }
        // The buckets of those that pass start coming from memory.
        for (std::int32_t j = 0; j < n; ++j)
            if (fits[j]) excluded->prefetchBucket(groupHash[j]);
    };

    auto rewriteFrom = [&](int level) {
        std::size_t at = start[level];
        std::uint64_t hash = prefixHash[level];
        for (int m = level; m < k - 1; ++m) {
            start[m] = at;
            prefixHash[m] = hash;
            const Member& member = first[index[m]];
            CopyWide<0>(prefix + at, member.ended, member.size - 2);
            at += member.size - 2;
            CopyWide<0>(prefix + at, paddedSeparator.data(), separator.size());
            at += separator.size();
            hash = hash * member.power + member.hash;
            hash = hash * separatorPower + separatorHash;
        }
        start[k - 1] = at;
        prefixHash[k - 1] = hash;
    };

    // The lines of the current prefix with the members [from, to).
    auto print = [&](const Member* from, const Member* to) {
        const std::size_t prefixSize = start[k - 1];
        const std::size_t longestLine = prefixSize + longestMember;
        if (longestLine > ChunkWriter::kRoom) {
            // Very long lines: each formed whole behind the prefix, then appended.
            for (const Member* m = from; m != to; ++m) {
                std::memcpy(prefix + prefixSize, m->ended, m->size);
                writer.append(std::string_view(prefix, prefixSize + m->size));
            }
            return;
        }
        const FormFunction form = FormFor(prefixSize, longestMember);
        while (from != to) {
            const std::size_t fit = writer.room() / longestLine;  // at least 1
            const Member* const end = static_cast<std::size_t>(to - from) <= fit ? to : from + fit;
            writer.advance(form(writer.cursor(), prefix, prefixSize, from, end));
            from = end;
        }
    };

    std::vector<std::int32_t> skip;
    rewriteFrom(0);
    askFilter();
    for (;;) {
        const std::size_t prefixSize = start[k - 1];
        skip.clear();
        if (excluded && k > 1) {
            // The records of the prefix after next start coming from memory (its bucket has
            // been asked for with the bit array).
            const std::int32_t j = index[k - 2];
            if (fits[j + 2]) excluded->prefetchRecords(groupHash[j + 2]);
        }
        if (excluded && fits[k == 1 ? 0 : index[k - 2]]) {
            excluded->excludedMembers(std::string_view(prefix, prefixSize), prefixHash[k - 1],
                                      skip);
        }
        if (skip.empty() &&
            static_cast<std::size_t>(n) * (prefixSize + longestMember) <= writer.room()) {
            // The common case, in one go.
            writer.advance(FormFor(prefixSize, longestMember)(writer.cursor(), prefix, prefixSize,
                                                              first, last));
        } else {
            std::sort(skip.begin(), skip.end());
            const Member* from = first;
            for (const std::int32_t j : skip) {
                print(from, std::max(from, first + j));
                from = std::max(from, first + j + 1);
            }
            print(from, last);
        }
        int level = k - 2;
        while (level >= 0 && ++index[level] == n) {
            index[level] = 0;
            --level;
        }
        if (level < 0) return;
        rewriteFrom(level);
        if (level < k - 2) askFilter();
    }
}

}  // namespace

void PrintCombinations(const StringList& list, std::int32_t count, std::string_view separator,
                       const BlockWanted& wanted, LinePrinter& printer) {
    const std::int32_t n =
        std::min<std::int32_t>(std::max(count, std::int32_t{0}),
                               static_cast<std::int32_t>(std::min<std::size_t>(
                                   list.size(), static_cast<std::size_t>(rt::Counter32::kMax))));
    ChunkWriter writer(printer.out(), printer.progress());
    std::unique_ptr<Members> members;
    std::unique_ptr<char[]> prefix;
    std::unique_ptr<PrefixIndex> excluded;
    // Without an exclusion the hashes are not used: any seed will do.
    const TextHash hash = printer.exclusion() ? printer.exclusion()->hash() : TextHash(1);
    for (int k = 1; k <= kMaxMembers; ++k) {
        if (!wanted(k) || n <= 0) continue;
        if (!members) {
            members = std::make_unique<Members>(list, n, hash);
            // Members 1 to 5 with their separators, then room for a whole line behind them.
            const std::size_t capacity =
                kMaxMembers * (members->longest + separator.size()) + 2 + kOverrun;
            prefix = std::make_unique<char[]>(capacity);
            if (printer.exclusion())
                excluded = std::make_unique<PrefixIndex>(*printer.exclusion(), *members, separator);
        }
        PrintBlock(*members, k, separator, hash, excluded.get(), writer, prefix.get());
    }
    writer.finish();
}

void WriteCombinations(const std::filesystem::path& outPath, const StringList& list,
                       std::int32_t count, std::string_view separator, const BlockWanted& wanted,
                       const Exclusion* exclusion) {
    rt::LineWriter out(outPath);
    LinePrinter printer(out, exclusion);
    PrintCombinations(list, count, separator, wanted, printer);
    out.close();
}

void Run(const std::filesystem::path& folder, const Options& options) {
    StringList inputList;
    rt::Counter32 inputCount;
    ReadList(rt::ResolveName(folder, kInputName), inputList, inputCount);

    StringList excludeList;
    rt::Counter32 excludeCount;
    if (options.exclude) ReadList(rt::ResolveName(folder, kExcludeName), excludeList, excludeCount);
    const Exclusion exclusion(excludeList, excludeCount.value());

    WriteCombinations(
        rt::ResolveName(folder, kOutputName), inputList, inputCount.value(), options.separator,
        [&](int k) { return options.blocks[k - 1]; }, options.exclude ? &exclusion : nullptr);
}

}  // namespace chainmaker
