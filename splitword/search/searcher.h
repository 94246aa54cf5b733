#pragma once
// The compound search of a range of words, with its lines written into blocks.
// A part of the search (splitword/search/), which splitword_job.cpp alone
// uses.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "block_output.h"
#include "hashing.h"
#include "padded_buffer.h"
#include "word_index.h"
#include "word_list.h"

namespace splitword::search {

// A way to split the word being searched: its first member's text and byte length.
struct Split {
    std::uint32_t text;
    std::size_t prefixBytes;
};

// Where the merge of several first members stands.
struct Head {
    const std::uint32_t* next;  // the first member's next position still to write
    const std::uint32_t* end;
    const char* line;
};

// Searches words of the list and writes their finds. One for each thread that searches.
class Searcher {
  public:
    Searcher(const WordList& words, const WordIndex& index)
        : words_(words), index_(index), base_(index.hashing().base), power_(base_) {}

    // Words `first` to `last` (from 1), with a progress mark before every hundredth word;
    // returns the number of finds.
    std::int64_t search(std::int32_t first, std::int32_t last, LineOutput& output,
                        const std::atomic<bool>& cancelled) {
        finds_ = 0;
        for (std::int64_t batch = first; batch <= last; batch += kBatch) {
            const auto from = static_cast<std::int32_t>(batch);
            const auto to =
                static_cast<std::int32_t>(std::min<std::int64_t>(last, batch + kBatch - 1));
            lookUp(from, to);
            for (std::int32_t i = from; i <= to; ++i) {
                if (i % 100 == 0) {
                    if (cancelled.load(std::memory_order_relaxed)) throw Cancelled{};
                    output.mark(i);
                }
                writeFinds(i, output);
            }
        }
        return finds_;
    }

  private:
    // Words are looked up in batches: the steps that wait for memory are started for all the
    // splits of a batch before any is finished.
    static constexpr std::int32_t kBatch = 32;

    // A split that may be one: the beginning of the word up to `prefixBytes` and the rest.
    struct Probe {
        std::size_t prefixBytes;
        std::uint64_t prefixHash;
        std::uint64_t restHash;
    };

    // Finds the splits of words `first` to `last` (from 1) whose both parts may be list words.
    void lookUp(std::int32_t first, std::int32_t last) {
        // Both members are list words: neither is shorter than the shortest word.
        const std::size_t shortest = words_.shortestBytes();
        const std::size_t longest = words_.longestBytes();
        const std::uint64_t base = base_;  // in a register, whatever the stores below touch
        probes_.clear();
        for (std::int32_t i = first; i <= last; ++i) {
            probesOf_[i - first] = probes_.size();
            const std::string_view word = words_.word(i - 1);
            const std::size_t size = word.size();
            if (size < 2 * shortest) continue;
            const std::size_t highest = std::min(longest, size - shortest);
            // Every beginning that ends on a character boundary and is long enough; the walk
            // goes on to the end for the hash of the whole word.
            const std::size_t from = probes_.size();
            std::uint64_t hash = 0;
            std::size_t boundary = 0;
            for (std::size_t pos = 0;; ++pos) {
                if (pos == boundary) {
                    if (pos >= shortest && pos <= highest) {
                        const std::uint64_t prefixHash = Reduced(hash);
                        probes_.push_back(Probe{pos, prefixHash, 0});
                        index_.prefetchFilter(prefixHash);
                    }
                    if (pos == size) break;
                    boundary +=
                        static_cast<unsigned char>(word[pos]) < 0x80 ? 1 : CharacterSize(word, pos);
                }
                hash = Extend(hash, word[pos], base);
            }
            // For now each probe holds the hash of the whole word in place of its rest's.
            hash = Reduced(hash);
            for (std::size_t p = from; p < probes_.size(); ++p) probes_[p].restHash = hash;
        }
        probesOf_[last - first + 1] = probes_.size();

        // Keep the splits whose beginning passes the filter, and fetch the filter for their
        // rest; then keep those whose rest passes too, and fetch their slots.
        const auto words = static_cast<std::size_t>(last - first + 1);
        keepProbes(words, [&](Probe& probe, std::size_t word) {
            if (!index_.mayContain(probe.prefixHash)) return false;
            const std::size_t size =
                words_.word(first - 1 + static_cast<std::int32_t>(word)).size();
            probe.restHash =
                RestHash(probe.restHash, probe.prefixHash, power_(size - probe.prefixBytes));
            index_.prefetchFilter(probe.restHash);
            return true;
        });
        keepProbes(words, [&](Probe& probe, std::size_t) {
            if (!index_.mayContain(probe.restHash)) return false;
            index_.prefetchSlot(probe.prefixHash);
            index_.prefetchSlot(probe.restHash);
            return true;
        });
        for (const Probe& probe : probes_) {
            index_.prefetchText(probe.prefixHash);
            index_.prefetchText(probe.restHash);
        }
        first_ = first;
    }

    // Keeps the probes for which `keep(probe, word of the batch)` is true, in order.
    template <class Keep>
    void keepProbes(std::size_t words, Keep keep) {
        std::size_t kept = 0;
        std::size_t word = 0;
        for (std::size_t p = 0; p < probes_.size(); ++p) {
            while (probesOf_[word + 1] <= p) probesOf_[++word] = kept;
            Probe probe = probes_[p];
            if (keep(probe, word)) probes_[kept++] = probe;
        }
        while (word < words) probesOf_[++word] = kept;
        probes_.resize(kept);
    }

    // Writes the finds of word i (from 1), whose probes `lookUp` has made.
    void writeFinds(std::int32_t i, LineOutput& output) {
        const std::string_view word = words_.word(i - 1);
        const std::size_t size = word.size();
        splits_.clear();
        for (std::size_t p = probesOf_[i - first_]; p < probesOf_[i - first_ + 1]; ++p) {
            const Probe& probe = probes_[p];
            const std::uint32_t text =
                index_.find(probe.prefixHash, word.substr(0, probe.prefixBytes));
            if (text == WordIndex::kNone) continue;
            if (index_.find(probe.restHash, word.substr(probe.prefixBytes)) == WordIndex::kNone)
                continue;
            splits_.push_back(Split{text, probe.prefixBytes});
        }
        if (splits_.empty()) return;

        // The line of each split: the word, its first member, its second member. The padding
        // behind the last one is room for the copies of fixed size.
        const std::size_t lineBytes = 2 * size + 4;
        if (splits_.size() * lineBytes > lines_.size())
            lines_.grow(std::max(splits_.size() * lineBytes, 2 * lines_.size()), 0);
        char* line = lines_.data();
        for (const Split& split : splits_) {
            std::memcpy(line, word.data(), size);
            line[size] = '\t';
            std::memcpy(line + size + 1, word.data(), split.prefixBytes);
            line[size + 1 + split.prefixBytes] = '\t';
            std::memcpy(line + size + 2 + split.prefixBytes, word.data() + split.prefixBytes,
                        size - split.prefixBytes);
            line[2 * size + 2] = '\r';
            line[2 * size + 3] = '\n';
            line += lineBytes;
        }

        if (splits_.size() == 1) {
            // One line for each occurrence of the first member.
            const std::uint32_t times = index_.occurrences(splits_.front().text);
            output.putRepeated(lines_.data(), lineBytes, times);
            finds_ += times;
            return;
        }

        // Several first members: their lines come in the order of their positions.
        heads_.clear();
        for (std::size_t s = 0; s < splits_.size(); ++s) {
            heads_.push_back(Head{index_.positionsBegin(splits_[s].text),
                                  index_.positionsEnd(splits_[s].text),
                                  lines_.data() + s * lineBytes});
        }
        if (heads_.size() <= 8) {
            while (!heads_.empty()) {
                std::size_t least = 0;
                for (std::size_t h = 1; h < heads_.size(); ++h)
                    if (*heads_[h].next < *heads_[least].next) least = h;
                output.put(heads_[least].line, lineBytes);
                ++finds_;
                if (++heads_[least].next == heads_[least].end) {
                    heads_[least] = heads_.back();
                    heads_.pop_back();
                    if (heads_.size() == 1) {
                        const Head& rest = heads_.front();
                        const auto times = static_cast<std::uint64_t>(rest.end - rest.next);
                        output.putRepeated(rest.line, lineBytes, times);
                        finds_ += static_cast<std::int64_t>(times);
                        return;
                    }
                }
            }
            return;
        }
        const auto later = [](const Head& a, const Head& b) { return *a.next > *b.next; };
        std::make_heap(heads_.begin(), heads_.end(), later);
        while (!heads_.empty()) {
            std::pop_heap(heads_.begin(), heads_.end(), later);
            Head& head = heads_.back();
            output.put(head.line, lineBytes);
            ++finds_;
            if (++head.next == head.end) {
                heads_.pop_back();
            } else {
                std::push_heap(heads_.begin(), heads_.end(), later);
            }
        }
    }

    const WordList& words_;
    const WordIndex& index_;
    const std::uint64_t base_;
    const Powers power_;
    std::int64_t finds_ = 0;

    std::int32_t first_ = 1;                 // the first word of the batch
    std::size_t probesOf_[kBatch + 1] = {};  // where each word's probes begin
    std::vector<Probe> probes_;
    std::vector<Split> splits_;
    std::vector<Head> heads_;
    rt::PaddedBuffer lines_;
};

}  // namespace splitword::search
