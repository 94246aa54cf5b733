#include "combination_writer.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "chunk_writer.h"
#include "counter.h"
#include "members.h"
#include "padded_buffer.h"
#include "prefix_index.h"
#include "textfile.h"
#include "tuple_odometer.h"

namespace chainmaker {
namespace {

// The lines of one prefix with the members [from, to), each the prefix and the member with its
// CR LF, formed at `out`. Returns the end of what was formed. The caller makes sure the lines
// fit, rt::kPadding bytes included.
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

// The lines of a prefix with the members [from, to), formed straight into the writer's chunk, or,
// when too long for it, each formed whole behind the prefix and appended.
void PrintLines(ChunkWriter& writer, char* prefix, std::size_t prefixSize,
                std::size_t longestMember, const Member* from, const Member* to) {
    const std::size_t longestLine = prefixSize + longestMember;
    if (longestLine > ChunkWriter::kRoom) {
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
}

// The lines of block k that the exclusion holds, found prefix by prefix. For every member j, the
// hash of the prefix with j in its last place, and whether the bit array lets it pass, are asked
// for all j at once whenever the places before the last change, so that the reads of the array
// overlap; the buckets of those that pass, and then the records of the prefix after next, start
// coming from memory before they are looked at.
class ExcludedLines {
  public:
    ExcludedLines(const PrefixIndex& index, const Members& members, int k)
        : index_(index),
          first_(members.member.data()),
          n_(static_cast<std::int32_t>(members.member.size())),
          k_(k),
          groupHash_(members.member.size()),
          fits_(members.member.size() + 2) {}

    // The places before the last have changed: `siblings` are the prefixes now (unused for
    // k = 1).
    void askFilter(const TupleOdometer::Siblings& siblings) {
        if (index_.byLine()) return;
        const rt::HashFilter::View filter = index_.filter().view();
        if (k_ == 1) {
            fits_[0] = filter.mayContain(0);
            return;
        }
        // In locals, which the stores below cannot change.
        const std::uint64_t spread = index_.spread();
        const Member* const first = first_;
        const std::int32_t n = n_;
        std::uint64_t* const groupHash = groupHash_.data();
        char* const fits = fits_.data();
        for (std::int32_t j = 0; j < n; ++j) {
            const std::uint64_t hash = siblings.hashWith(first[j]);
            groupHash[j] = hash;
            fits[j] = filter.mayContain(hash * spread);
        }
        for (std::int32_t j = 0; j < n; ++j)
            if (fits[j]) index_.prefetchBucket(groupHash[j]);
    }

    // Into `skip`: the members whose line with `prefix` the exclusion holds; `hash` is the
    // prefix's hash, `lastIndex` its member in the last place (unused for k = 1).
    void find(std::string_view prefix, std::uint64_t hash, std::int32_t lastIndex,
              std::vector<std::int32_t>& skip) const {
        if (index_.byLine()) return index_.excludedByLine(prefix, hash, first_, n_, skip);
        if (k_ > 1 && fits_[lastIndex + 2]) index_.prefetchRecords(groupHash_[lastIndex + 2]);
        if (fits_[k_ == 1 ? 0 : lastIndex]) index_.excludedMembers(prefix, hash, skip);
    }

  private:
    const PrefixIndex& index_;
    const Member* first_;
    std::int32_t n_;
    int k_;
    std::vector<std::uint64_t> groupHash_;
    std::vector<char> fits_;  // with two to spare
};

// The lines of a prefix are formed together straight into the chunk, not one combination at a
// time, and the exclusion is asked only about the prefixes that some entry fits.
//
// Block k: for every prefix of the odometer, the lines of all members, less those whose line the
// exclusion holds. `separator` and `prefix` are padded (rt::kPadding bytes past their ends).
void PrintBlock(const Members& members, int k, std::string_view separator, const rt::TextHash& hash,
                const PrefixIndex* excludedBy, ExclusionWork* work, ChunkWriter& writer,
                char* prefix) {
    const Member* const first = members.member.data();
    const Member* const last = first + members.member.size();
    const std::size_t longestMember = members.longest + 2;  // with CR LF
    TupleOdometer odometer(members, k, separator, hash, prefix);
    std::optional<ExcludedLines> excluded;
    if (excludedBy) {
        excluded.emplace(*excludedBy, members, k);
        excluded->askFilter(odometer.siblings());
    }
    std::vector<std::int32_t> skip;
    for (;;) {
        const std::size_t prefixSize = odometer.prefixSize();
        skip.clear();
        if (excluded) {
            excluded->find(std::string_view(prefix, prefixSize), odometer.prefixHash(),
                           k > 1 ? odometer.index(k - 2) : 0, skip);
            if (work) work->found += skip.size();
        }
        if (skip.empty() && members.member.size() * (prefixSize + longestMember) <= writer.room()) {
            // The common case, in one go.
            writer.advance(FormFor(prefixSize, longestMember)(writer.cursor(), prefix, prefixSize,
                                                              first, last));
        } else {
            std::sort(skip.begin(), skip.end());
            const Member* from = first;
            for (const std::int32_t j : skip) {
                PrintLines(writer, prefix, prefixSize, longestMember, from,
                           std::max(from, first + j));
                from = std::max(from, first + j + 1);
            }
            PrintLines(writer, prefix, prefixSize, longestMember, from, last);
        }
        const int changed = odometer.advance();
        if (changed < 0) return;
        if (excluded && changed < k - 2) excluded->askFilter(odometer.siblings());
    }
}

}  // namespace

void WriteCombinations(const std::filesystem::path& outPath, const StringList& list,
                       std::int32_t count, std::string_view separator, const BlockWanted& wanted,
                       const Exclusion* exclusion, const WriteProgress& progress) {
    rt::LineWriter out(outPath);
    if (exclusion && exclusion->empty()) exclusion = nullptr;
    const std::int32_t n =
        std::min<std::int32_t>(std::max(count, std::int32_t{0}),
                               static_cast<std::int32_t>(std::min<std::size_t>(
                                   list.size(), static_cast<std::size_t>(rt::Counter32::kMax))));
    {
        ChunkWriter writer(out, progress);
        std::unique_ptr<Members> members;
        rt::PaddedBuffer prefix;
        std::unique_ptr<PrefixIndex> excluded;
        // Without an exclusion the hashes are not used: any seed will do.
        const rt::TextHash hash = exclusion ? exclusion->hash() : rt::TextHash(1);
        // The separator with room to be copied in whole 16-byte pieces.
        const rt::PaddedBuffer padded(separator.size());
        if (!separator.empty()) std::memcpy(padded.data(), separator.data(), separator.size());
        const std::string_view paddedSeparator(padded.data(), separator.size());
        for (int k = 1; k <= kMaxMembers; ++k) {
            if (!wanted(k) || n <= 0) continue;
            if (!members) {
                members = std::make_unique<Members>(list, n, hash);
                // Members 1 to 5 with their separators, then room for a whole line behind them.
                prefix = rt::PaddedBuffer(kMaxMembers * (members->longest + separator.size()) + 2);
                if (exclusion) {
                    excluded = std::make_unique<PrefixIndex>(*exclusion, *members, separator);
                    if (exclusion->work()) exclusion->work()->records += excluded->records();
                }
            }
            PrintBlock(*members, k, paddedSeparator, hash, excluded.get(),
                       exclusion ? exclusion->work() : nullptr, writer, prefix.data());
        }
        writer.finish();
    }
    out.close();
}

}  // namespace chainmaker
