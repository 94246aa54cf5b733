#include "combination_writer.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "chunk_writer.h"
#include "counter.h"
#include "members.h"
#include "prefix_index.h"
#include "textfile.h"
#include "tuple_odometer.h"

namespace chainmaker {
namespace {

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

// Writing one line per combination, as PrintMe does it, is folded into BlockPrinter: the lines
// of a prefix are formed together straight into the chunk, and the exclusion is asked only about
// the prefixes that some entry fits.
//
// Block k: for every prefix of the odometer, the lines of all members, less those whose line the
// exclusion holds.
class BlockPrinter {
  public:
    BlockPrinter(const Members& members, int k, std::string_view separator, const TextHash& hash,
                 const PrefixIndex* excluded, ChunkWriter& writer, char* prefix)
        : first_(members.member.data()),
          last_(first_ + members.member.size()),
          n_(static_cast<std::int32_t>(members.member.size())),
          k_(k),
          longestMember_(members.longest + 2),
          excluded_(excluded),
          writer_(writer),
          odometer_(members, k, separator, hash, prefix) {
        if (excluded_) {
            groupHash_.resize(static_cast<std::size_t>(n_));
            fits_.resize(static_cast<std::size_t>(n_) + 2);
        }
    }

    void print() {
        askFilter();
        for (;;) {
            printPrefix();
            const int changed = odometer_.advance();
            if (changed < 0) return;
            if (changed < k_ - 2) askFilter();
        }
    }

  private:
    // For every member j, the hash of the prefix with j in its last place, and whether the bit
    // array lets it pass: asked for all j at once whenever the places before the last change, so
    // that the reads of the array overlap. The buckets of those that pass start coming from
    // memory.
    void askFilter() {
        if (!excluded_) return;
        const rt::HashFilter::View filter = excluded_->filter().view();
        if (k_ == 1) {
            fits_[0] = filter.mayContain(0);
            return;
        }
        // In locals, which the stores below cannot change.
        const TupleOdometer::Siblings siblings = odometer_.siblings();
        const Member* const first = first_;
        const std::int32_t n = n_;
        std::uint64_t* const groupHash = groupHash_.data();
        char* const fits = fits_.data();
        for (std::int32_t j = 0; j < n; ++j) {
            const std::uint64_t hash = siblings.hashWith(first[j]);
            groupHash[j] = hash;
            fits[j] = filter.mayContain(hash);
        }
        for (std::int32_t j = 0; j < n; ++j)
            if (fits[j]) excluded_->prefetchBucket(groupHash[j]);
    }

    // The lines of the current prefix.
    void printPrefix() {
        const std::size_t prefixSize = odometer_.prefixSize();
        skip_.clear();
        if (excluded_) findExcluded();
        if (skip_.empty() &&
            static_cast<std::size_t>(n_) * (prefixSize + longestMember_) <= writer_.room()) {
            // The common case, in one go.
            writer_.advance(FormFor(prefixSize, longestMember_)(
                writer_.cursor(), odometer_.prefix(), prefixSize, first_, last_));
            return;
        }
        std::sort(skip_.begin(), skip_.end());
        const Member* from = first_;
        for (const std::int32_t j : skip_) {
            printLines(from, std::max(from, first_ + j));
            from = std::max(from, first_ + j + 1);
        }
        printLines(from, last_);
    }

    // Into skip_: the members whose line with the current prefix the exclusion holds.
    void findExcluded() {
        if (k_ > 1) {
            // The records of the prefix after next start coming from memory (its bucket has
            // been asked for with the bit array).
            const std::int32_t j = odometer_.index(k_ - 2);
            if (fits_[j + 2]) excluded_->prefetchRecords(groupHash_[j + 2]);
        }
        if (fits_[k_ == 1 ? 0 : odometer_.index(k_ - 2)]) {
            excluded_->excludedMembers(std::string_view(odometer_.prefix(), odometer_.prefixSize()),
                                       odometer_.prefixHash(), skip_);
        }
    }

    // The lines of the current prefix with the members [from, to).
    void printLines(const Member* from, const Member* to) {
        char* const prefix = odometer_.prefix();
        const std::size_t prefixSize = odometer_.prefixSize();
        const std::size_t longestLine = prefixSize + longestMember_;
        if (longestLine > ChunkWriter::kRoom) {
            // Very long lines: each formed whole behind the prefix, then appended.
            for (const Member* m = from; m != to; ++m) {
                std::memcpy(prefix + prefixSize, m->ended, m->size);
                writer_.append(std::string_view(prefix, prefixSize + m->size));
            }
            return;
        }
        const FormFunction form = FormFor(prefixSize, longestMember_);
        while (from != to) {
            const std::size_t fit = writer_.room() / longestLine;  // at least 1
            const Member* const end = static_cast<std::size_t>(to - from) <= fit ? to : from + fit;
            writer_.advance(form(writer_.cursor(), prefix, prefixSize, from, end));
            from = end;
        }
    }

    const Member* const first_;
    const Member* const last_;
    const std::int32_t n_;
    const int k_;
    const std::size_t longestMember_;  // with CR LF
    const PrefixIndex* const excluded_;
    ChunkWriter& writer_;
    TupleOdometer odometer_;
    std::vector<std::uint64_t> groupHash_;  // askFilter's hashes
    std::vector<char> fits_;                // and its answers, with two to spare
    std::vector<std::int32_t> skip_;
};

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
        std::unique_ptr<char[]> prefix;
        std::unique_ptr<PrefixIndex> excluded;
        // Without an exclusion the hashes are not used: any seed will do.
        const TextHash hash = exclusion ? exclusion->hash() : TextHash(1);
        for (int k = 1; k <= kMaxMembers; ++k) {
            if (!wanted(k) || n <= 0) continue;
            if (!members) {
                members = std::make_unique<Members>(list, n, hash);
                // Members 1 to 5 with their separators, then room for a whole line behind them.
                const std::size_t capacity =
                    kMaxMembers * (members->longest + separator.size()) + 2 + kOverrun;
                prefix = std::make_unique<char[]>(capacity);
                if (exclusion)
                    excluded = std::make_unique<PrefixIndex>(*exclusion, *members, separator);
            }
            BlockPrinter(*members, k, separator, hash, excluded.get(), writer, prefix.get())
                .print();
        }
        writer.finish();
    }
    out.close();
}

}  // namespace chainmaker
