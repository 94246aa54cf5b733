#include "chainmaker_job.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include "files.h"
#include "text.h"

namespace chainmaker {

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

Exclusion::Exclusion(const StringList& entries, std::int32_t count) {
    const auto used = static_cast<std::size_t>(std::max(count, std::int32_t{0}));
    const std::size_t n = std::min(used, entries.size());
    if (n == 0) return;
    std::size_t capacity = 16;
    while (capacity < 2 * n) capacity *= 2;
    tags_.assign(capacity, 0);
    slots_.resize(capacity);
    mask_ = capacity - 1;
    std::size_t longest = 0;
    for (std::size_t i = 0; i < n; ++i) longest = std::max(longest, entries[i].size());
    lengthPresent_.assign(longest + 1, false);

    for (std::size_t i = 0; i < n; ++i) {
        const std::string_view text = entries[i];
        if (contains(text)) continue;  // an equal entry is there already
        lengthPresent_[text.size()] = true;
        const std::uint64_t hash = Hash(text);
        const std::uint64_t mixed = Mix(hash);
        std::size_t at = mixed & mask_;
        while (tags_[at] != 0) at = (at + 1) & mask_;
        tags_[at] = TagOf(mixed);
        slots_[at] = Slot{hash, text};
        ++size_;
    }
}

namespace {

// The entries laid out once, each followed by CR LF, so that the last member and the line end
// are copied in one go; with each its hash and the power that extends a hash past it.
struct Members {
    std::unique_ptr<char[]> text;
    std::vector<std::size_t> offset;  // of entry i in text
    std::vector<std::size_t> length;  // of entry i, without CR LF
    std::vector<std::uint64_t> hash;
    std::vector<std::uint64_t> power;
    std::size_t longest = 0;

    Members(const StringList& list, std::int32_t n, bool hashed) : offset(n), length(n) {
        std::size_t total = 0;
        for (std::int32_t i = 0; i < n; ++i) total += list[i].size() + 2;
        text = std::make_unique_for_overwrite<char[]>(total);
        std::size_t at = 0;
        for (std::int32_t i = 0; i < n; ++i) {
            const std::string& entry = list[i];
            offset[i] = at;
            length[i] = entry.size();
            longest = std::max(longest, entry.size());
            std::memcpy(text.get() + at, entry.data(), entry.size());
            at += entry.size();
            text[at++] = '\r';
            text[at++] = '\n';
        }
        if (hashed) {
            hash.resize(n);
            power.resize(n);
            for (std::int32_t i = 0; i < n; ++i) {
                hash[i] = Exclusion::Hash(list[i]);
                power[i] = Exclusion::Power(list[i].size());
            }
        }
    }
};

// Block k >= 2. The line buffer holds members 1 to k - 1, each followed by the separator; start
// says where each member begins (and, when excluding, prefixHash the hash of the text before
// it). For every prefix, the innermost index runs over all entries, each copied with its CR LF
// behind the prefix. Then the prefix advances like an odometer and only the members from the one
// that changed onwards are written again.
template <bool kExcluding>
void PrintBlock(const Members& members, std::int32_t n, int k, std::string_view separator,
                LinePrinter& printer, char* line) {
    std::array<std::int32_t, kMaxMembers> index{};
    std::array<std::size_t, kMaxMembers> start{};
    std::array<std::uint64_t, kMaxMembers> prefixHash{};
    const char* const text = members.text.get();
    const std::uint64_t separatorHash = kExcluding ? Exclusion::Hash(separator) : 0;
    const std::uint64_t separatorPower = kExcluding ? Exclusion::Power(separator.size()) : 0;

    auto rewriteFrom = [&](int level) {
        std::size_t at = start[level];
        std::uint64_t hash = prefixHash[level];
        for (int m = level; m < k - 1; ++m) {
            start[m] = at;
            prefixHash[m] = hash;
            const std::int32_t i = index[m];
            std::memcpy(line + at, text + members.offset[i], members.length[i]);
            at += members.length[i];
            if (!separator.empty()) std::memcpy(line + at, separator.data(), separator.size());
            at += separator.size();
            if constexpr (kExcluding) {
                hash = hash * members.power[i] + members.hash[i];
                hash = hash * separatorPower + separatorHash;
            }
        }
        start[k - 1] = at;
        prefixHash[k - 1] = hash;
    };

    rewriteFrom(0);
    for (;;) {
        const std::size_t at = start[k - 1];
        char* const last = line + at;
        const std::uint64_t hash = prefixHash[k - 1];
        for (std::int32_t i = 0; i < n; ++i) {
            const std::size_t length = members.length[i];
            std::memcpy(last, text + members.offset[i], length + 2);
            printer.printEnded<kExcluding>(
                line, at + length, kExcluding ? hash * members.power[i] + members.hash[i] : 0);
        }
        int level = k - 2;
        while (level >= 0 && ++index[level] == n) {
            index[level] = 0;
            --level;
        }
        if (level < 0) return;
        rewriteFrom(level);
    }
}

template <bool kExcluding>
void PrintBlocks(const StringList& list, std::int32_t n, std::string_view separator,
                 const BlockWanted& wanted, LinePrinter& printer) {
    std::unique_ptr<Members> members;
    std::unique_ptr<char[]> line;
    for (int k = 1; k <= kMaxMembers; ++k) {
        if (!wanted(k) || n <= 0) continue;
        if (!members) {
            members = std::make_unique<Members>(list, n, kExcluding);
            const std::size_t capacity = static_cast<std::size_t>(kMaxMembers) * members->longest +
                                         (kMaxMembers - 1) * separator.size() + 2;
            line = std::make_unique_for_overwrite<char[]>(capacity);
        }
        if (k == 1) {
            for (std::int32_t i = 0; i < n; ++i) {
                printer.printEnded<kExcluding>(members->text.get() + members->offset[i],
                                               members->length[i],
                                               kExcluding ? members->hash[i] : 0);
            }
        } else {
            PrintBlock<kExcluding>(*members, n, k, separator, printer, line.get());
        }
    }
}

}  // namespace

void PrintCombinations(const StringList& list, std::int32_t count, std::string_view separator,
                       const BlockWanted& wanted, LinePrinter& printer) {
    const std::int32_t n =
        std::min<std::int32_t>(std::max(count, std::int32_t{0}),
                               static_cast<std::int32_t>(std::min<std::size_t>(
                                   list.size(), static_cast<std::size_t>(rt::Counter32::kMax))));
    if (printer.excluding()) {
        PrintBlocks<true>(list, n, separator, wanted, printer);
    } else {
        PrintBlocks<false>(list, n, separator, wanted, printer);
    }
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
