#include "splitword_job.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <limits>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "files.h"
#include "numbers.h"
#include "runtime_error.h"
#include "s.h"
#include "text.h"
#include "textfile.h"

namespace splitword {

std::size_t CharacterSize(std::string_view text, std::size_t pos) noexcept {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const auto isTail = [&](std::size_t k, unsigned low = 0x80, unsigned high = 0xBF) {
        return k < text.size() && byte(k) >= low && byte(k) <= high;
    };
    const unsigned lead = byte(pos);
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return isTail(pos + 1) ? 2 : 1;
    if (lead >= 0xE0 && lead <= 0xEF) {
        // E0 needs A0..BF next (no overlong forms), ED needs 80..9F (no surrogates).
        const unsigned low = lead == 0xE0 ? 0xA0 : 0x80;
        const unsigned high = lead == 0xED ? 0x9F : 0xBF;
        return isTail(pos + 1, low, high) && isTail(pos + 2) ? 3 : 1;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        // F0 needs 90..BF next (no overlong forms), F4 needs 80..8F (nothing past U+10FFFF).
        const unsigned low = lead == 0xF0 ? 0x90 : 0x80;
        const unsigned high = lead == 0xF4 ? 0x8F : 0xBF;
        return isTail(pos + 1, low, high) && isTail(pos + 2) && isTail(pos + 3) ? 4 : 1;
    }
    return 1;
}

std::int64_t CharacterCount(std::string_view text) noexcept {
    std::int64_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); ++count) {
        // Plain ASCII runs are the common case: step over them a byte at a time without the
        // sequence checks.
        if (static_cast<unsigned char>(text[pos]) < 0x80) {
            ++pos;
        } else {
            pos += CharacterSize(text, pos);
        }
    }
    return count;
}

bool LongEnough(std::string_view text, double threshold) noexcept {
    // A text never has more characters than bytes; most words pass after a few characters.
    if (threshold > static_cast<double>(text.size())) return false;
    std::int64_t count = 0;
    for (std::size_t pos = 0; pos < text.size() && threshold > static_cast<double>(count);
         ++count) {
        pos += static_cast<unsigned char>(text[pos]) < 0x80 ? 1 : CharacterSize(text, pos);
    }
    return !(threshold > static_cast<double>(count));
}

std::string NormaliseThresholdText(std::string_view boxText) {
    return rt::NumberToText(rt::NumericPrefix(rt::Trim(boxText)));
}

void WordList::reserveFor(std::uint64_t fileBytes) {
    if (fileBytes > std::numeric_limits<std::size_t>::max() / 16) return;
    const auto bytes = static_cast<std::size_t>(fileBytes);
    if (bytes_.size() < 2 * bytes + 2) bytes_.grow(2 * bytes + 2, used_);
    // No more words than lines, and no more lines than bytes and one.
    if (offsets_.size() < bytes + 2) offsets_.grow(bytes + 2, static_cast<std::size_t>(count_) + 1);
}

void WordList::makeRoom(std::size_t bytes) {
    if (used_ + bytes > bytes_.size())
        bytes_.grow(std::max(2 * bytes_.size(), used_ + bytes + (std::size_t{1} << 16)), used_);
    if (static_cast<std::size_t>(count_) + 2 > offsets_.size())
        offsets_.grow(std::max<std::size_t>(2 * offsets_.size(), 1024),
                      static_cast<std::size_t>(count_) + 1);
}

void WordList::add(std::string_view word) {
    if (count_ == std::numeric_limits<std::int32_t>::max()) throw rt::RuntimeError(rt::kOverflow);
    if (used_ + word.size() + 2 > bytes_.size() ||
        static_cast<std::size_t>(count_) + 2 > offsets_.size())
        makeRoom(word.size() + 2);
    char* at = bytes_.data() + used_;
    if (!word.empty()) std::memcpy(at, word.data(), word.size());
    at[word.size()] = '\r';
    at[word.size() + 1] = '\n';
    used_ += word.size() + 2;
    offsets_[static_cast<std::size_t>(++count_)] = used_;
    shortest_ = std::min(shortest_, word.size());
    longest_ = std::max(longest_, word.size());
}

WordList ReadWordList(const std::filesystem::path& folder, double threshold) {
    const std::filesystem::path path = rt::ResolveName(folder, "in.txt");
    rt::LineReader in(path);
    WordList words;
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (!ec) words.reserveFor(size);
    while (!in.atEnd()) {
        const std::string_view candidate = rt::Trim(s::TextBeforeTab(in.readLine()));
        if (!LongEnough(candidate, threshold)) continue;
        words.add(candidate);
    }
    in.close();
    return words;
}

void WriteDebugList(const std::filesystem::path& folder, const WordList& words) {
    rt::LineWriter debug(rt::ResolveName(folder, "Debug.txt"));
    debug.print(words.lines());
    debug.close();
}

namespace {

const std::string_view kHeader = "Possible compound\tFirst member\tSecond member";

// ---- Hashes -----------------------------------------------------------------------------------

// Polynomial hashes modulo the prime 2^61 - 1, so that the hash of the rest of a word follows
// from the hashes of the word and of its beginning.
__extension__ typedef unsigned __int128 Wide;
constexpr std::uint64_t kPrime = (std::uint64_t{1} << 61) - 1;
constexpr std::uint64_t kBase = 1'000'003;

std::uint64_t MulMod(std::uint64_t a, std::uint64_t b) noexcept {
    const Wide product = static_cast<Wide>(a) * b;
    const std::uint64_t low = static_cast<std::uint64_t>(product) & kPrime;
    const std::uint64_t high = static_cast<std::uint64_t>(product >> 61);
    const std::uint64_t sum = low + high;
    return sum >= kPrime ? sum - kPrime : sum;
}

// Running hashes are kept below 2 * kPrime, one subtraction short of the hash itself, so that
// appending a byte is a multiplication and a few additions.
std::uint64_t Reduced(std::uint64_t running) noexcept {
    return running >= kPrime ? running - kPrime : running;
}

// The running hash after appending one byte (bytes count from 1, so leading zero bytes still
// count). Below 2^62 times kBase below 2^20: the product's high part stays below 2^21.
std::uint64_t Extend(std::uint64_t running, char c) noexcept {
    const Wide product = static_cast<Wide>(running) * kBase;
    const std::uint64_t low = static_cast<std::uint64_t>(product) & kPrime;
    const std::uint64_t high = static_cast<std::uint64_t>(product >> 61);
    return low + high + static_cast<unsigned char>(c) + 1;
}

std::uint64_t HashOf(std::string_view text) noexcept {
    std::uint64_t running = 0;
    for (const char c : text) running = Extend(running, c);
    return Reduced(running);
}

// The hash of the last `restBytes` bytes of a text, from the hash of the whole and of the
// bytes before them.
std::uint64_t RestHash(std::uint64_t whole, std::uint64_t before, std::uint64_t shift) noexcept {
    const std::uint64_t moved = MulMod(before, shift);
    return whole >= moved ? whole - moved : whole + kPrime - moved;
}

// kBase to the power `exponent`: from a table for short words, by squaring beyond.
class Powers {
  public:
    Powers() {
        table_[0] = 1;
        for (std::size_t k = 1; k < kTable; ++k) table_[k] = MulMod(table_[k - 1], kBase);
    }
    std::uint64_t operator()(std::uint64_t exponent) const noexcept {
        if (exponent < kTable) return table_[exponent];
        std::uint64_t result = 1;
        std::uint64_t square = kBase;
        for (; exponent != 0; exponent >>= 1) {
            if (exponent & 1) result = MulMod(result, square);
            square = MulMod(square, square);
        }
        return result;
    }

  private:
    static constexpr std::size_t kTable = 1024;
    std::uint64_t table_[kTable];
};

constexpr std::uint64_t kMix = 0x9E3779B97F4A7C15ULL;

unsigned ShiftFor(std::size_t size) noexcept {
    unsigned shift = 64;
    for (std::size_t s = size; s > 1; s >>= 1) --shift;
    return shift;
}

std::size_t PowerOfTwoAtLeast(std::size_t n) noexcept {
    std::size_t size = 1;
    while (size < n) size *= 2;
    return size;
}

// Thrown on the helper thread when the run stops before the search is done.
struct Cancelled {};

void Prefetch(const void* address) noexcept { __builtin_prefetch(address); }

// ---- The index of the list ----------------------------------------------------------------------

// Whether the word at `offset` of the list's bytes is `bytes`. Every word of the list is followed
// by a CR, and no word holds one: so the word there is `bytes` when those bytes and a CR follow.
bool WordAt(std::string_view all, std::uint64_t offset, std::string_view bytes) noexcept {
    if (offset + bytes.size() >= all.size()) return false;
    const char* at = all.data() + offset;
    return at[bytes.size()] == '\r' && std::memcmp(at, bytes.data(), bytes.size()) == 0;
}

// The distinct texts of the list, each with all its positions in order, found by hash; and a
// small filter in front of them that tells at once most texts that are not in the list.
// Looking a text up takes a few steps, each of which may wait for memory: callers with many
// texts to look up start the steps of several of them before they finish any.
class WordIndex {
  public:
    static constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

    WordIndex(const WordList& words, const std::atomic<bool>& cancelled)
        : all_(words.lines()),
          texts_(static_cast<std::size_t>(words.count())),
          positions_(static_cast<std::size_t>(words.count())),
          slots_(PowerOfTwoAtLeast(std::max<std::size_t>(2 * words.count(), 16))),
          mask_(slots_.size() - 1),
          shift_(ShiftFor(slots_.size())),
          // Two bits of a 64-bit block per text, about eight bits per word, so that the filter
          // stays in the cache closest to the processor.
          filter_(PowerOfTwoAtLeast(std::max<std::size_t>(words.count() / 8, 8))),
          filterShift_(ShiftFor(filter_.size())) {
        const auto count = static_cast<std::uint32_t>(words.count());
        BigArray<std::uint32_t> textOf(count);

        // Each word's hash is taken some words ahead, so that its slot, and then the bytes of
        // the text in it, are on their way to the cache by the time the word is looked up.
        constexpr std::uint32_t kAhead = 16;
        constexpr std::uint32_t kHalf = kAhead / 2;
        std::uint64_t ahead[kAhead];
        for (std::uint32_t k = 0; k < std::min(count, kAhead); ++k) {
            ahead[k] = HashOf(words.word(static_cast<std::int32_t>(k)));
            prefetchSlot(ahead[k]);
        }
        std::uint32_t texts = 0;
        for (std::uint32_t k = 0; k < count; ++k) {
            if ((k & 0xFFFF) == 0 && cancelled.load(std::memory_order_relaxed)) throw Cancelled{};
            const std::uint64_t hash = ahead[k % kAhead];
            if (k + kHalf < count) prefetchText(ahead[(k + kHalf) % kAhead]);
            if (k + kAhead < count) {
                const std::uint64_t next = HashOf(words.word(static_cast<std::int32_t>(k + kAhead)));
                ahead[k % kAhead] = next;
                prefetchSlot(next);
            }
            const std::string_view word = words.word(static_cast<std::int32_t>(k));
            std::size_t slot = home(hash);
            std::uint32_t text = kNone;
            for (;; slot = (slot + 1) & mask_) {
                const Slot& entry = slots_[slot];
                if (entry.id == 0) break;
                if (entry.tag == static_cast<std::uint32_t>(hash) &&
                    WordAt(all_, entry.offset, word)) {
                    text = entry.id - 1;
                    break;
                }
            }
            if (text == kNone) {
                text = texts++;
                slots_[slot] = Slot{static_cast<std::uint64_t>(word.data() - all_.data()), texts,
                                    static_cast<std::uint32_t>(hash)};
                filter_[block(hash)] |= bits(hash);
            }
            textOf[k] = text;
            ++texts_[text].count;
        }

        // All positions of each text, grouped by text, ascending within a group.
        std::uint32_t start = 0;
        for (std::uint32_t t = 0; t < texts; ++t) {
            texts_[t].begin = start;
            start += texts_[t].count;
        }
        for (std::uint32_t k = 0; k < count; ++k) positions_[texts_[textOf[k]].begin++] = k;
        for (std::uint32_t t = 0; t < texts; ++t) texts_[t].begin -= texts_[t].count;
    }

    void prefetchFilter(std::uint64_t hash) const noexcept { Prefetch(&filter_[block(hash)]); }
    // False when no text of the list has that hash; true when one may have it.
    bool mayContain(std::uint64_t hash) const noexcept {
        const std::uint64_t want = bits(hash);
        return (filter_[block(hash)] & want) == want;
    }
    void prefetchSlot(std::uint64_t hash) const noexcept { Prefetch(&slots_[home(hash)]); }
    // Once the slot is at hand: the bytes of the text in it, when it may be the one.
    void prefetchText(std::uint64_t hash) const noexcept {
        const Slot& entry = slots_[home(hash)];
        if (entry.id != 0 && entry.tag == static_cast<std::uint32_t>(hash))
            Prefetch(all_.data() + entry.offset);
    }

    // The text equal to `bytes` (whose hash is `hash`), or kNone.
    std::uint32_t find(std::uint64_t hash, std::string_view bytes) const noexcept {
        for (std::size_t slot = home(hash);; slot = (slot + 1) & mask_) {
            const Slot& entry = slots_[slot];
            if (entry.id == 0) return kNone;
            if (entry.tag == static_cast<std::uint32_t>(hash) && WordAt(all_, entry.offset, bytes))
                return entry.id - 1;
        }
    }

    const std::uint32_t* positionsBegin(std::uint32_t text) const noexcept {
        return positions_.data() + texts_[text].begin;
    }
    const std::uint32_t* positionsEnd(std::uint32_t text) const noexcept {
        return positions_.data() + texts_[text].begin + texts_[text].count;
    }
    std::uint32_t occurrences(std::uint32_t text) const noexcept { return texts_[text].count; }

  private:
    struct Text {
        std::uint32_t begin;  // where its positions begin
        std::uint32_t count;  // how often it occurs
    };
    // Open addressing: where a text's first occurrence lies in the list's bytes, the text's
    // number plus one (0 for a free slot, so that a new table is all zero bytes) and the low
    // bits of its hash, so that most texts that differ are told apart without reading on.
    struct Slot {
        std::uint64_t offset;
        std::uint32_t id;
        std::uint32_t tag;
    };

    std::size_t home(std::uint64_t hash) const noexcept {
        return static_cast<std::size_t>((hash * kMix) >> shift_);
    }
    std::size_t block(std::uint64_t hash) const noexcept {
        return static_cast<std::size_t>((hash * kMix) >> filterShift_);
    }
    static std::uint64_t bits(std::uint64_t hash) noexcept {
        return (std::uint64_t{1} << (hash & 63)) | (std::uint64_t{1} << ((hash >> 6) & 63));
    }

    std::string_view all_;
    BigArray<Text> texts_;
    BigArray<std::uint32_t> positions_;
    BigArray<Slot> slots_;
    std::size_t mask_;
    unsigned shift_;
    BigArray<std::uint64_t> filter_;
    unsigned filterShift_;
};

// ---- Blocks of output -------------------------------------------------------------------------

// A block hands over at most this many progress marks, so that progress is shown while the
// search goes on even when it finds little.
constexpr std::size_t kMarksPerBlock = 16;

struct Block {
    explicit Block(char* memory) : data(memory) { marks.reserve(kMarksPerBlock); }
    char* data;
    std::size_t used = 0;
    std::vector<std::int32_t> marks;  // the progress calls that come before its lines
};

// The search's side of the hand-over: takes a full block, gives an empty one back.
class BlockSink {
  public:
    virtual ~BlockSink() = default;
    virtual Block& handOver(Block& full) = 0;
    // Takes the last block.
    virtual void handOverLast(Block& full) = 0;
};

// The window's side: makes a block's progress calls, then writes its lines (in one piece, so
// that a full block goes straight to the file).
class FindWriter {
  public:
    FindWriter(rt::LineWriter& out, Progress& progress, std::int32_t count)
        : out_(out), progress_(progress), count_(count) {}
    void write(const Block& block) {
        for (const std::int32_t index : block.marks) progress_.workingOn(index, count_);
        out_.print(std::string_view(block.data, block.used));
    }

  private:
    rt::LineWriter& out_;
    Progress& progress_;
    std::int32_t count_;
};

// Lines into the current block; a full block goes to the sink.
class LineOutput {
  public:
    LineOutput(BlockSink& sink, Block& first, std::size_t capacity)
        : sink_(sink), block_(&first), capacity_(capacity) {
        start();
    }

    // Copies `size` bytes of `line`, whose buffer holds at least 64 readable bytes.
    void put(const char* line, std::size_t size) {
        // Short lines take a copy of fixed size, which the compiler makes a few moves.
        if (size <= 32 && static_cast<std::size_t>(end_ - cur_) >= 32) {
            std::memcpy(cur_, line, 32);
            cur_ += size;
        } else if (size <= 64 && static_cast<std::size_t>(end_ - cur_) >= 64) {
            std::memcpy(cur_, line, 64);
            cur_ += size;
        } else {
            putLong(line, size);
        }
    }
    // Copies the line `times` times: the copies already made are copied, doubling each time.
    void putRepeated(const char* line, std::size_t size, std::uint64_t times) {
        while (times > 0) {
            const std::uint64_t fit = static_cast<std::size_t>(end_ - cur_) / size;
            if (fit == 0) {
                putLong(line, size);
                --times;
                continue;
            }
            const std::uint64_t copies = std::min(times, fit);
            std::memcpy(cur_, line, size);
            for (std::uint64_t made = 1; made < copies;) {
                const std::uint64_t more = std::min(made, copies - made);
                std::memcpy(cur_ + made * size, cur_, more * size);
                made += more;
            }
            cur_ += copies * size;
            times -= copies;
        }
    }
    // A progress call before the next line.
    void mark(std::int32_t index) {
        if (block_->marks.size() >= kMarksPerBlock) next();
        block_->marks.push_back(index);
    }
    // Hands over the last block.
    void finish() {
        block_->used = static_cast<std::size_t>(cur_ - block_->data);
        sink_.handOverLast(*block_);
    }

  private:
    void putLong(const char* line, std::size_t size) {
        while (size > 0) {
            if (cur_ == end_) next();
            const std::size_t part = std::min(size, static_cast<std::size_t>(end_ - cur_));
            std::memcpy(cur_, line, part);
            cur_ += part;
            line += part;
            size -= part;
        }
    }
    void next() {
        block_->used = static_cast<std::size_t>(cur_ - block_->data);
        block_ = &sink_.handOver(*block_);
        start();
    }
    void start() {
        block_->used = 0;
        block_->marks.clear();
        cur_ = block_->data;
        end_ = cur_ + capacity_;
    }

    BlockSink& sink_;
    Block* block_;
    std::size_t capacity_;
    char* cur_ = nullptr;
    char* end_ = nullptr;
};

// ---- The search -------------------------------------------------------------------------------

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

// Searches every word of the list and writes its finds; returns their number.
class Searcher {
  public:
    Searcher(const WordList& words, LineOutput& output, const std::atomic<bool>& cancelled)
        : words_(words), output_(output), cancelled_(cancelled), index_(words, cancelled) {}

    std::int64_t searchAll() {
        const std::int32_t count = words_.count();
        for (std::int32_t first = 1; first <= count; first += kBatch) {
            const std::int32_t last = std::min(count, first + kBatch - 1);
            lookUp(first, last);
            for (std::int32_t i = first; i <= last; ++i) {
                if (i % 100 == 0) {
                    if (cancelled_.load(std::memory_order_relaxed)) throw Cancelled{};
                    output_.mark(i);
                }
                writeFinds(i);
            }
        }
        output_.finish();
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
                    boundary += static_cast<unsigned char>(word[pos]) < 0x80
                                    ? 1
                                    : CharacterSize(word, pos);
                }
                hash = Extend(hash, word[pos]);
            }
            hash = Reduced(hash);
            for (std::size_t p = from; p < probes_.size(); ++p) {
                Probe& probe = probes_[p];
                probe.restHash = RestHash(hash, probe.prefixHash, power_(size - probe.prefixBytes));
            }
        }
        probesOf_[last - first + 1] = probes_.size();

        // Keep the splits whose both parts pass the filter, and fetch their slots.
        std::size_t kept = 0;
        std::size_t word = 0;
        for (std::size_t p = 0; p < probes_.size(); ++p) {
            while (probesOf_[word + 1] <= p) probesOf_[++word] = kept;
            const Probe& probe = probes_[p];
            if (!index_.mayContain(probe.prefixHash) || !index_.mayContain(probe.restHash))
                continue;
            index_.prefetchSlot(probe.prefixHash);
            index_.prefetchSlot(probe.restHash);
            probes_[kept++] = probe;
        }
        while (word < static_cast<std::size_t>(last - first + 1)) probesOf_[++word] = kept;
        probes_.resize(kept);
        for (const Probe& probe : probes_) {
            index_.prefetchText(probe.prefixHash);
            index_.prefetchText(probe.restHash);
        }
        first_ = first;
    }

    // Writes the finds of word i (from 1), whose probes `lookUp` has made.
    void writeFinds(std::int32_t i) {
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

        // The line of each split: the word, its first member, its second member. Room is left
        // behind the last one for the copies of fixed size.
        const std::size_t lineBytes = 2 * size + 4;
        lines_.resize(splits_.size() * lineBytes + 64);
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
            output_.putRepeated(lines_.data(), lineBytes, times);
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
                output_.put(heads_[least].line, lineBytes);
                ++finds_;
                if (++heads_[least].next == heads_[least].end) {
                    heads_[least] = heads_.back();
                    heads_.pop_back();
                    if (heads_.size() == 1) {
                        const Head& last = heads_.front();
                        const auto times = static_cast<std::uint64_t>(last.end - last.next);
                        output_.putRepeated(last.line, lineBytes, times);
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
            output_.put(head.line, lineBytes);
            ++finds_;
            if (++head.next == head.end) {
                heads_.pop_back();
            } else {
                std::push_heap(heads_.begin(), heads_.end(), later);
            }
        }
    }

    const WordList& words_;
    LineOutput& output_;
    const std::atomic<bool>& cancelled_;
    const WordIndex index_;
    const Powers power_;
    std::int64_t finds_ = 0;

    std::int32_t first_ = 1;                // the first word of the batch
    std::size_t probesOf_[kBatch + 1] = {};  // where each word's probes begin
    std::vector<Probe> probes_;
    std::vector<Split> splits_;
    std::vector<Head> heads_;
    std::string lines_;
};

std::int64_t SearchAll(const WordList& words, LineOutput& output,
                       const std::atomic<bool>& cancelled) {
    return Searcher(words, output, cancelled).searchAll();
}

// ---- Running the search -----------------------------------------------------------------------

// Blocks go straight to out.txt on the calling thread.
class DirectSink : public BlockSink {
  public:
    explicit DirectSink(FindWriter& writer) : writer_(writer) {}
    Block& handOver(Block& full) override {
        writer_.write(full);
        return full;
    }
    void handOverLast(Block& full) override { writer_.write(full); }

  private:
    FindWriter& writer_;
};

// The search on a helper thread, which begins at once (building the index while the calling
// thread writes Debug.txt); the calling thread writes the blocks it hands over, in order.
class HelperSearch : public BlockSink {
  public:
    HelperSearch(const WordList& words, std::size_t blockBytes)
        : words_(words), blockBytes_(blockBytes), memory_(kPool * blockBytes) {
        for (std::size_t b = 0; b < kPool; ++b) {
            pool_[b] = std::make_unique<Block>(memory_.data() + b * blockBytes);
            free_[freeCount_++] = pool_[b].get();
        }
        thread_ = std::thread([this] { work(); });
    }
    ~HelperSearch() override { stop(); }

    // Writes the finds as they come; returns their number.
    std::int64_t writeFinds(FindWriter& writer) {
        for (;;) {
            Block* block = nullptr;
            {
                std::unique_lock lock(mutex_);
                consumerWait_.wait(lock, [&] { return fullCount_ > 0 || done_; });
                if (fullCount_ == 0) break;
                block = full_[fullFirst_];
                fullFirst_ = (fullFirst_ + 1) % kPool;
                --fullCount_;
            }
            writer.write(*block);
            {
                std::lock_guard lock(mutex_);
                free_[freeCount_++] = block;
            }
            producerWait_.notify_one();
        }
        thread_.join();
        if (error_) std::rethrow_exception(error_);
        return finds_;
    }

    Block& handOver(Block& full) override {
        std::unique_lock lock(mutex_);
        full_[(fullFirst_ + fullCount_) % kPool] = &full;
        ++fullCount_;
        consumerWait_.notify_one();
        producerWait_.wait(lock, [&] { return freeCount_ > 0 || stopping_; });
        if (stopping_) throw Cancelled{};
        return *free_[--freeCount_];
    }
    void handOverLast(Block& full) override {
        std::lock_guard lock(mutex_);
        full_[(fullFirst_ + fullCount_) % kPool] = &full;
        ++fullCount_;
        consumerWait_.notify_one();
    }

  private:
    static constexpr std::size_t kPool = 4;

    void work() {
        std::int64_t finds = 0;
        std::exception_ptr error;
        try {
            Block* first = nullptr;
            {
                std::lock_guard lock(mutex_);
                first = free_[--freeCount_];
            }
            LineOutput output(*this, *first, blockBytes_);
            finds = SearchAll(words_, output, cancelled_);
        } catch (const Cancelled&) {
        } catch (...) {
            error = std::current_exception();
        }
        std::lock_guard lock(mutex_);
        finds_ = finds;
        error_ = error;
        done_ = true;
        consumerWait_.notify_one();
    }

    void stop() noexcept {
        if (!thread_.joinable()) return;
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
            cancelled_.store(true, std::memory_order_relaxed);
        }
        producerWait_.notify_one();
        thread_.join();
    }

    const WordList& words_;
    std::size_t blockBytes_;
    BigArray<char> memory_;
    std::unique_ptr<Block> pool_[kPool];
    std::mutex mutex_;
    std::condition_variable producerWait_;
    std::condition_variable consumerWait_;
    Block* free_[kPool] = {};
    std::size_t freeCount_ = 0;
    Block* full_[kPool] = {};
    std::size_t fullFirst_ = 0;
    std::size_t fullCount_ = 0;
    bool done_ = false;
    bool stopping_ = false;
    std::atomic<bool> cancelled_{false};
    std::int64_t finds_ = 0;
    std::exception_ptr error_;
    std::thread thread_;
};

}  // namespace

RunResult Run(const std::filesystem::path& folder, double threshold, Progress& progress,
              const Tuning& tuning) {
    progress.readingInput();
    const WordList words = ReadWordList(folder, threshold);
    const std::size_t blockBytes = std::max<std::size_t>(tuning.blockBytes, 1);
    std::unique_ptr<HelperSearch> helper;
    if (tuning.helperThread) {
        try {
            helper = std::make_unique<HelperSearch>(words, blockBytes);
        } catch (const std::system_error&) {
            // No thread to be had: the search runs here, after the files are opened.
        }
    }
    WriteDebugList(folder, words);
    rt::LineWriter out(rt::ResolveName(folder, "out.txt"));
    out.printLine(kHeader);
    FindWriter writer(out, progress, words.count());
    RunResult result;
    result.wordCount = words.count();
    if (helper) {
        result.findCount = helper->writeFinds(writer);
    } else {
        DirectSink sink(writer);
        BigArray<char> memory(blockBytes);
        Block block(memory.data());
        LineOutput output(sink, block, blockBytes);
        const std::atomic<bool> never{false};
        result.findCount = SearchAll(words, output, never);
    }
    out.close();
    return result;
}

}  // namespace splitword
