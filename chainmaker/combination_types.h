#pragma once
// What the parts of the writing share: the most members of a combination, the questions and
// calls of a writing run, and the lines to leave out.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "string_list.h"
#include "text_hash.h"

namespace chainmaker {

inline constexpr int kMaxMembers = 6;

// Asked right before block k (k = 1 to 6) whether that block is wanted.
using BlockWanted = std::function<bool(int members)>;

// Called each time about a megabyte of whole lines has been handed to the output, with the bytes
// handed over so far. What it throws stops the writing there, the output holding whole lines.
using WriteProgress = std::function<void(std::uint64_t bytes)>;

// What the writer did to leave lines out: tests hold it to the work of the plain scan.
struct ExclusionWork {
    std::uint64_t records = 0;  // in the index (one for each way an entry can be a line)
    std::uint64_t found = 0;    // lines found in the exclusion, each time one was found
};

// The lines to leave out: the first `count` entries of a list, which must outlive it. A line is
// left out when it equals an entry byte for byte, letter case counting.
class Exclusion {
  public:
    // `filterBits`: the size of the writer's bit array of prefixes as a power of two (7 to 24);
    // 0 sizes it to the number of entries. Tests choose small ones.
    // `hashSeed`: the seed of the writer's hashes (rt::TextHash), 0 for one drawn at random; the
    // lines written do not depend on it.
    // `recordsAllowed`: the most records of prefixes the writer's index may hold before it holds
    // the entries instead (PrefixIndex); 0 for as many as the entries' bytes allow. Tests choose
    // 1 to have every line looked up by itself.
    Exclusion(const StringList& entries, std::int32_t count, int filterBits = 0,
              std::uint64_t hashSeed = 0, std::size_t recordsAllowed = 0)
        : entries_(&entries),
          size_(
              std::min(static_cast<std::size_t>(std::max(count, std::int32_t{0})), entries.size())),
          filterBits_(filterBits),
          recordsAllowed_(recordsAllowed),
          hash_(hashSeed) {}

    bool empty() const noexcept { return size_ == 0; }
    std::size_t size() const noexcept { return size_; }
    std::string_view operator[](std::size_t i) const noexcept { return (*entries_)[i]; }
    int filterBits() const noexcept { return filterBits_; }
    std::size_t recordsAllowed() const noexcept { return recordsAllowed_; }
    const rt::TextHash& hash() const noexcept { return hash_; }
    // Where the writer counts its work, when anywhere.
    void countWorkIn(ExclusionWork* work) noexcept { work_ = work; }
    ExclusionWork* work() const noexcept { return work_; }

  private:
    const StringList* entries_;
    std::size_t size_;
    int filterBits_;
    std::size_t recordsAllowed_;
    rt::TextHash hash_;
    ExclusionWork* work_ = nullptr;
};

}  // namespace chainmaker
