#include "splitword_job.h"

#include <algorithm>
#include <atomic>
#include <barrier>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <limits>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "files.h"
#include "hash_seed.h"
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

std::string NormaliseThresholdText(std::string_view boxText, std::string_view decimalMark) {
    return rt::NumberToText(rt::NumericPrefix(rt::Trim(boxText)), decimalMark);
}

void WordList::reserveFor(std::uint64_t fileBytes) {
    // What a list of words of ten bytes needs; a list that needs more grows by moving its pages,
    // so that the memory taken follows what the words really need.
    if (fileBytes > std::numeric_limits<std::size_t>::max() / 16) return;
    const auto bytes = static_cast<std::size_t>(fileBytes);
    if (bytes_.size() < bytes + bytes / 8 + 64) bytes_.grow(bytes + bytes / 8 + 64, used_);
    if (offsets_.size() < bytes / 10 + 2)
        offsets_.grow(bytes / 10 + 2, static_cast<std::size_t>(count_) + 1);
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
// from the hashes of the word and of its beginning. The base, and the multiplier that spreads the
// hashes over a table, come from a seed drawn for each run: no list made in advance can make its
// words share hashes or crowd one part of the table.
__extension__ typedef unsigned __int128 Wide;
constexpr std::uint64_t kPrime = (std::uint64_t{1} << 61) - 1;

struct Hashing {
    explicit Hashing(std::uint64_t seed) {
        std::uint64_t state = seed == 0 ? rt::RandomSeed() : seed;
        // Below 2^59, so that a running hash stays below 2 * kPrime (see Extend).
        base = (std::uint64_t{1} << 58) | (rt::NextFromSeed(state) >> 6);
        mix = rt::NextFromSeed(state) | 1;
    }
    std::uint64_t base;
    std::uint64_t mix;  // odd
};

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
// count). Below 2^62 times a base below 2^59: the product's high part stays below 2^60, and the
// sum below 2^61 + 2^60 + 2^8 < 2 * kPrime.
std::uint64_t Extend(std::uint64_t running, char c, std::uint64_t base) noexcept {
    const Wide product = static_cast<Wide>(running) * base;
    const std::uint64_t low = static_cast<std::uint64_t>(product) & kPrime;
    const std::uint64_t high = static_cast<std::uint64_t>(product >> 61);
    return low + high + static_cast<unsigned char>(c) + 1;
}

std::uint64_t HashOf(std::string_view text, std::uint64_t base) noexcept {
    std::uint64_t running = 0;
    for (const char c : text) running = Extend(running, c, base);
    return Reduced(running);
}

// The hash of the last `restBytes` bytes of a text, from the hash of the whole and of the
// bytes before them.
std::uint64_t RestHash(std::uint64_t whole, std::uint64_t before, std::uint64_t shift) noexcept {
    const std::uint64_t moved = MulMod(before, shift);
    return whole >= moved ? whole - moved : whole + kPrime - moved;
}

// The base to the power `exponent`: from a table for short words, by squaring beyond.
class Powers {
  public:
    explicit Powers(std::uint64_t base) : base_(base) {
        table_[0] = 1;
        for (std::size_t k = 1; k < kTable; ++k) table_[k] = MulMod(table_[k - 1], base);
    }
    std::uint64_t operator()(std::uint64_t exponent) const noexcept {
        if (exponent < kTable) return table_[exponent];
        std::uint64_t result = 1;
        std::uint64_t square = base_;
        for (; exponent != 0; exponent >>= 1) {
            if (exponent & 1) result = MulMod(result, square);
            square = MulMod(square, square);
        }
        return result;
    }

  private:
    static constexpr std::size_t kTable = 1024;
    std::uint64_t base_;
    std::uint64_t table_[kTable];
};

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

void Prefetch(const void* address) noexcept {
    __builtin_prefetch(address);
}

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
// The index is two halves, by one bit of the hash, so that two threads can build it. Looking a
// text up takes a few steps, each of which may wait for memory: callers with many texts to
// look up start the steps of several of them before they finish any.
class WordIndex {
  public:
    static constexpr unsigned kHalves = 2;
    static constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

    WordIndex(const WordList& words, const Hashing& hashing)
        : hashing_(hashing),
          words_(words),
          all_(words.lines()),
          hashes_(static_cast<std::size_t>(words.count())),
          textOf_(static_cast<std::size_t>(words.count())) {}

    // Building takes two steps, each shared among workers; every share of the first step must
    // be done before the second begins. First: the hashes of share `share` of `shares` of the
    // words.
    void hashWords(unsigned share, unsigned shares, const std::atomic<bool>& cancelled) {
        const auto count = static_cast<std::uint64_t>(words_.count());
        const auto from = static_cast<std::uint32_t>(count * share / shares);
        const auto to = static_cast<std::uint32_t>(count * (share + 1) / shares);
        for (std::uint32_t k = from; k < to; ++k) {
            if ((k & 0xFFFF) == 0 && cancelled.load(std::memory_order_relaxed)) throw Cancelled{};
            hashes_[k] = HashOf(words_.word(static_cast<std::int32_t>(k)), hashing_.base);
        }
    }

    // Second: the table, the filter and the positions of one half.
    void buildHalf(unsigned half, const std::atomic<bool>& cancelled) {
        const auto count = static_cast<std::uint32_t>(words_.count());
        std::uint32_t mine = 0;
        for (std::uint32_t k = 0; k < count; ++k) mine += HalfOf(hashes_[k]) == half;
        Half& h = halves_[half];
        h.slots =
            rt::LargeArray<Slot>(PowerOfTwoAtLeast(std::max<std::size_t>(2 * mine, 16)), true);
        h.mask = h.slots.size() - 1;
        h.shift = ShiftFor(h.slots.size());
        // Two bits of a 64-bit block per text, about eight bits per word, so that the filter
        // stays in the cache closest to the processor.
        h.filter = rt::LargeArray<std::uint64_t>(
            PowerOfTwoAtLeast(std::max<std::size_t>(mine / 8, 8)), true);
        h.filterShift = ShiftFor(h.filter.size());
        h.texts = rt::LargeArray<Text>(mine);
        h.positions = rt::LargeArray<std::uint32_t>(mine, true);

        // The words of this half in order; each is taken some words ahead, so that its slot,
        // and then the bytes of the text in it, are on their way to the cache by the time it
        // is looked up.
        constexpr std::uint32_t kAhead = 16;
        constexpr std::uint32_t kHalfway = kAhead / 2;
        std::uint32_t ahead[kAhead];
        std::uint32_t scout = 0;  // the next word not yet taken ahead
        const auto takeNext = [&]() -> std::uint32_t {
            while (scout < count && HalfOf(hashes_[scout]) != half) ++scout;
            if (scout < count) prefetchSlot(h, hashes_[scout]);
            return scout < count ? scout++ : count;
        };
        for (std::uint32_t a = 0; a < kAhead; ++a) ahead[a] = takeNext();
        std::uint32_t texts = 0;
        for (std::uint32_t n = 0; n < mine; ++n) {
            if ((n & 0xFFFF) == 0 && cancelled.load(std::memory_order_relaxed)) throw Cancelled{};
            const std::uint32_t k = ahead[n % kAhead];
            const std::uint32_t soon = ahead[(n + kHalfway) % kAhead];
            if (soon < count) prefetchText(h, hashes_[soon]);
            ahead[n % kAhead] = takeNext();

            const std::uint64_t hash = hashes_[k];
            const std::string_view word = words_.word(static_cast<std::int32_t>(k));
            std::size_t slot = home(h, hash);
            std::uint32_t text = kNone;
            for (;; slot = (slot + 1) & h.mask) {
                const Slot& entry = h.slots[slot];
                if (entry.id == 0) break;
                if (entry.tag == static_cast<std::uint32_t>(hash) &&
                    WordAt(all_, entry.offset, word)) {
                    text = entry.id - 1;
                    break;
                }
            }
            if (text == kNone) {
                text = texts++;
                h.slots[slot] = Slot{static_cast<std::uint64_t>(word.data() - all_.data()), texts,
                                     static_cast<std::uint32_t>(hash)};
                h.filter[block(h, hash)] |= bits(hash);
            }
            textOf_[k] = text;
            ++h.texts[text].count;
        }

        // All positions of each text, grouped by text, ascending within a group.
        std::uint32_t start = 0;
        for (std::uint32_t t = 0; t < texts; ++t) {
            h.texts[t].begin = start;
            start += h.texts[t].count;
        }
        for (std::uint32_t k = 0; k < count; ++k) {
            if (HalfOf(hashes_[k]) == half) h.positions[h.texts[textOf_[k]].begin++] = k;
        }
        for (std::uint32_t t = 0; t < texts; ++t) h.texts[t].begin -= h.texts[t].count;
    }

    const Hashing& hashing() const noexcept { return hashing_; }

    // Once both halves are built: the memory that only building needed.
    void built() noexcept {
        hashes_ = rt::LargeArray<std::uint64_t>();
        textOf_ = rt::LargeArray<std::uint32_t>();
    }

    void prefetchFilter(std::uint64_t hash) const noexcept {
        const Half& h = halves_[HalfOf(hash)];
        Prefetch(&h.filter[block(h, hash)]);
    }
    // False when no text of the list has that hash; true when one may have it.
    bool mayContain(std::uint64_t hash) const noexcept {
        const Half& h = halves_[HalfOf(hash)];
        const std::uint64_t want = bits(hash);
        return (h.filter[block(h, hash)] & want) == want;
    }
    void prefetchSlot(std::uint64_t hash) const noexcept {
        prefetchSlot(halves_[HalfOf(hash)], hash);
    }
    // Once the slot is at hand: the bytes of the text in it, when it may be the one.
    void prefetchText(std::uint64_t hash) const noexcept {
        prefetchText(halves_[HalfOf(hash)], hash);
    }

    // The text equal to `bytes` (whose hash is `hash`), or kNone. A text is its half in the
    // top bit and its number in that half below.
    std::uint32_t find(std::uint64_t hash, std::string_view bytes) const noexcept {
        const unsigned half = HalfOf(hash);
        const Half& h = halves_[half];
        for (std::size_t slot = home(h, hash);; slot = (slot + 1) & h.mask) {
            const Slot& entry = h.slots[slot];
            if (entry.id == 0) return kNone;
            if (entry.tag == static_cast<std::uint32_t>(hash) && WordAt(all_, entry.offset, bytes))
                return (entry.id - 1) | (half << 31);
        }
    }

    const std::uint32_t* positionsBegin(std::uint32_t text) const noexcept {
        const Half& h = halves_[text >> 31];
        return h.positions.data() + h.texts[text & kNumber].begin;
    }
    const std::uint32_t* positionsEnd(std::uint32_t text) const noexcept {
        const Half& h = halves_[text >> 31];
        return positionsBegin(text) + h.texts[text & kNumber].count;
    }
    std::uint32_t occurrences(std::uint32_t text) const noexcept {
        return halves_[text >> 31].texts[text & kNumber].count;
    }

  private:
    static constexpr std::uint32_t kNumber = 0x7FFFFFFF;

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
    struct Half {
        rt::LargeArray<Slot> slots;
        std::size_t mask = 0;
        unsigned shift = 64;
        rt::LargeArray<std::uint64_t> filter;
        unsigned filterShift = 64;
        rt::LargeArray<Text> texts;
        rt::LargeArray<std::uint32_t> positions;
    };

    // Hashes lie below 2^61: the top bit of those is as likely set as not.
    static unsigned HalfOf(std::uint64_t hash) noexcept {
        return static_cast<unsigned>((hash >> 60) & 1);
    }
    std::size_t home(const Half& h, std::uint64_t hash) const noexcept {
        return static_cast<std::size_t>((hash * hashing_.mix) >> h.shift);
    }
    std::size_t block(const Half& h, std::uint64_t hash) const noexcept {
        return static_cast<std::size_t>((hash * hashing_.mix) >> h.filterShift);
    }
    static std::uint64_t bits(std::uint64_t hash) noexcept {
        return (std::uint64_t{1} << (hash & 63)) | (std::uint64_t{1} << ((hash >> 6) & 63));
    }
    void prefetchSlot(const Half& h, std::uint64_t hash) const noexcept {
        Prefetch(&h.slots[home(h, hash)]);
    }
    void prefetchText(const Half& h, std::uint64_t hash) const noexcept {
        const Slot& entry = h.slots[home(h, hash)];
        if (entry.id != 0 && entry.tag == static_cast<std::uint32_t>(hash))
            Prefetch(all_.data() + entry.offset);
    }

    const Hashing hashing_;
    const WordList& words_;
    std::string_view all_;
    rt::LargeArray<std::uint64_t> hashes_;  // of each word, while building
    rt::LargeArray<std::uint32_t> textOf_;  // each word's number in its half, while building
    Half halves_[kHalves];
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
    std::int32_t segment = 0;         // the words it holds lines of (see ParallelSearch)
    bool last = false;                // the segment's last block
    std::exception_ptr error;         // the failure that ended the search after its lines
};

// The search's side of the hand-over: takes a full block, gives an empty one back.
class BlockSink {
  public:
    virtual ~BlockSink() = default;
    virtual Block& handOver(Block& full) = 0;
    // Takes the last block.
    virtual void handOverLast(Block& full) = 0;
};

// The calling thread's side: makes a block's progress calls, then writes its lines (in one
// piece, so that a full block goes straight to the file).
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
    // Hands over the last block, with the failure that ends the search if there is one.
    void finish(std::exception_ptr error = nullptr) {
        block_->used = static_cast<std::size_t>(cur_ - block_->data);
        block_->last = true;
        block_->error = std::move(error);
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
        block_->last = false;
        block_ = &sink_.handOver(*block_);
        start();
    }
    void start() {
        block_->used = 0;
        block_->marks.clear();
        block_->last = false;
        block_->error = nullptr;
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
    std::string lines_;
};

// ---- Running the search -----------------------------------------------------------------------

// The search on the calling thread, after the files are opened: blocks go straight to out.txt.
class DirectSearch : public BlockSink {
  public:
    DirectSearch(const WordList& words, std::size_t blockBytes, std::uint64_t hashSeed)
        : words_(words),
          hashing_(hashSeed),
          memory_(blockBytes),
          block_(memory_.data()),
          blockBytes_(blockBytes) {}

    std::int64_t writeFinds(FindWriter& writer) {
        writer_ = &writer;
        const std::atomic<bool> never{false};
        WordIndex index(words_, hashing_);
        index.hashWords(0, 1, never);
        for (unsigned half = 0; half < WordIndex::kHalves; ++half) index.buildHalf(half, never);
        index.built();
        Searcher searcher(words_, index);
        LineOutput output(*this, block_, blockBytes_);
        const std::int64_t finds = searcher.search(1, words_.count(), output, never);
        output.finish();
        return finds;
    }

    Block& handOver(Block& full) override {
        writer_->write(full);
        return full;
    }
    void handOverLast(Block& full) override { writer_->write(full); }

  private:
    const WordList& words_;
    const Hashing hashing_;
    rt::LargeArray<char> memory_;
    Block block_;
    std::size_t blockBytes_;
    FindWriter* writer_ = nullptr;
};

// The search on threads of its own, which begin at once (building the index while the calling
// thread writes Debug.txt). The words are cut into segments that the threads take in turn;
// each segment's lines come in blocks from a common pool, and the calling thread writes the
// blocks segment after segment. A thread whose segment is not the next to be written leaves a
// block in the pool for the one whose segment is, so that the writing always goes on.
class ParallelSearch {
  public:
    ParallelSearch(const WordList& words, const Tuning& tuning, std::size_t blockBytes)
        : words_(words),
          index_(words, Hashing(tuning.hashSeed)),
          threads_(std::max(1u, tuning.searchThreads)),
          segmentWords_(std::max<std::int32_t>(tuning.segmentWords, 1)),
          segments_(words.count() == 0 ? 0 : (words.count() - 1) / segmentWords_ + 1),
          blockBytes_(blockBytes),
          pool_(threads_ + 2 + kSpare),
          memory_(pool_ * blockBytes),
          ready_(static_cast<std::ptrdiff_t>(threads_)) {
        blocks_.reserve(pool_);
        for (std::size_t b = 0; b < pool_; ++b) {
            blocks_.push_back(std::make_unique<Block>(memory_.data() + b * blockBytes));
            free_.push_back(blocks_.back().get());
        }
        full_.reserve(pool_);
        workers_.reserve(threads_);
        try {
            for (unsigned t = 0; t < threads_; ++t) workers_.emplace_back([this, t] { work(t); });
        } catch (...) {
            // The threads that did start stop at the index without waiting for the others.
            {
                std::lock_guard lock(mutex_);
                stopping_ = true;
                cancelled_.store(true, std::memory_order_relaxed);
            }
            for (std::size_t t = workers_.size(); t < threads_; ++t) ready_.arrive_and_drop();
            stop();
            throw;
        }
    }
    ~ParallelSearch() { stop(); }
    ParallelSearch(const ParallelSearch&) = delete;
    ParallelSearch& operator=(const ParallelSearch&) = delete;

    // Writes the finds in order as they come; returns their number.
    std::int64_t writeFinds(FindWriter& writer) {
        std::unique_lock lock(mutex_);
        while (oldest_ < segments_ && !indexError_) {
            writerWait_.wait(lock, [&] { return indexError_ || fullOf(oldest_) != full_.end(); });
            if (indexError_) break;
            const auto at = fullOf(oldest_);
            Block* block = *at;
            full_.erase(at);
            lock.unlock();
            writer.write(*block);
            lock.lock();
            if (block->error) {
                error_ = block->error;
                break;
            }
            if (block->last) ++oldest_;
            free_.push_back(block);
            searchersWait_.notify_all();
        }
        if (indexError_) error_ = indexError_;
        lock.unlock();
        stop();
        if (error_) std::rethrow_exception(error_);
        return finds_;
    }

  private:
    // Blocks beyond one for each thread and two for the writer: how far a thread may run ahead.
    static constexpr std::size_t kSpare = 4;

    // One hand-over of one segment.
    class Sink : public BlockSink {
      public:
        Sink(ParallelSearch& search, std::int32_t segment) : search_(search), segment_(segment) {}
        Block& handOver(Block& full) override {
            search_.handOver(full);
            return search_.take(segment_);
        }
        void handOverLast(Block& full) override { search_.handOver(full); }

      private:
        ParallelSearch& search_;
        std::int32_t segment_;
    };

    void work(unsigned thread) {
        try {
            // The index: each thread hashes its share of the words, then builds its halves.
            index_.hashWords(thread, threads_, cancelled_);
            arrive();
            for (unsigned half = thread; half < WordIndex::kHalves; half += threads_)
                index_.buildHalf(half, cancelled_);
            arrive();
            if (thread == 0) index_.built();
        } catch (const Cancelled&) {
            ready_.arrive_and_drop();
            return;
        } catch (...) {
            {
                std::lock_guard lock(mutex_);
                if (!indexError_) indexError_ = std::current_exception();
                cancelled_.store(true, std::memory_order_relaxed);
            }
            writerWait_.notify_one();
            ready_.arrive_and_drop();
            return;
        }

        Searcher searcher(words_, index_);
        std::int64_t finds = 0;
        try {
            for (;;) {
                std::int32_t segment = 0;
                {
                    std::lock_guard lock(mutex_);
                    if (stopping_ || next_ == segments_) break;
                    segment = next_++;
                }
                Sink sink(*this, segment);
                LineOutput output(sink, take(segment), blockBytes_);
                const std::int64_t first = std::int64_t{segment} * segmentWords_ + 1;
                const std::int64_t last =
                    std::min<std::int64_t>(words_.count(), first + segmentWords_ - 1);
                try {
                    finds += searcher.search(static_cast<std::int32_t>(first),
                                             static_cast<std::int32_t>(last), output, cancelled_);
                } catch (const Cancelled&) {
                    throw;
                } catch (...) {
                    // The lines before the failure are written, then the run stops.
                    output.finish(std::current_exception());
                    break;
                }
                output.finish();
            }
        } catch (const Cancelled&) {
        }
        std::lock_guard lock(mutex_);
        finds_ += finds;
    }

    // Waits for the other threads at the end of a step of building; throws Cancelled when one
    // of them failed or the run stops.
    void arrive() {
        ready_.arrive_and_wait();
        if (cancelled_.load(std::memory_order_relaxed)) throw Cancelled{};
    }

    // A free block for a line of `segment`.
    Block& take(std::int32_t segment) {
        std::unique_lock lock(mutex_);
        searchersWait_.wait(lock, [&] {
            return stopping_ || (!free_.empty() && (segment == oldest_ || free_.size() > 1));
        });
        if (stopping_) throw Cancelled{};
        Block* block = free_.back();
        free_.pop_back();
        block->segment = segment;
        return *block;
    }

    void handOver(Block& full) {
        {
            std::lock_guard lock(mutex_);
            full_.push_back(&full);
        }
        writerWait_.notify_one();
    }

    // The first block handed over of `segment`.
    std::vector<Block*>::iterator fullOf(std::int32_t segment) {
        return std::find_if(full_.begin(), full_.end(),
                            [&](const Block* block) { return block->segment == segment; });
    }

    void stop() noexcept {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
            cancelled_.store(true, std::memory_order_relaxed);
        }
        searchersWait_.notify_all();
        for (std::thread& worker : workers_) {
            if (worker.joinable()) worker.join();
        }
    }

    const WordList& words_;
    WordIndex index_;
    const unsigned threads_;
    const std::int32_t segmentWords_;
    const std::int32_t segments_;
    const std::size_t blockBytes_;
    const std::size_t pool_;
    rt::LargeArray<char> memory_;
    std::vector<std::unique_ptr<Block>> blocks_;

    std::mutex mutex_;
    std::condition_variable searchersWait_;
    std::condition_variable writerWait_;
    std::barrier<> ready_;
    std::atomic<bool> cancelled_{false};
    std::vector<Block*> free_;
    std::vector<Block*> full_;  // in the order handed over
    std::int32_t next_ = 0;     // the next segment to search
    std::int32_t oldest_ = 0;   // the segment being written
    bool stopping_ = false;
    std::int64_t finds_ = 0;
    std::exception_ptr indexError_;
    std::exception_ptr error_;
    std::vector<std::thread> workers_;
};

}  // namespace

RunResult Run(const std::filesystem::path& folder, double threshold, Progress& progress,
              const Tuning& tuning) {
    progress.readingInput();
    const WordList words = ReadWordList(folder, threshold);
    const std::size_t blockBytes = std::max<std::size_t>(tuning.blockBytes, 1);
    std::unique_ptr<ParallelSearch> parallel;
    // Threads for a list of one segment or less would only cost their start.
    if (tuning.searchThreads > 0 && words.count() > std::max(tuning.segmentWords, 1)) {
        try {
            parallel = std::make_unique<ParallelSearch>(words, tuning, blockBytes);
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
    if (parallel) {
        result.findCount = parallel->writeFinds(writer);
    } else {
        // Here a block is written as soon as it is full: a small one does as well.
        const std::size_t directBytes = std::min<std::size_t>(blockBytes, std::size_t{64} << 10);
        result.findCount = DirectSearch(words, directBytes, tuning.hashSeed).writeFinds(writer);
    }
    out.close();
    return result;
}

}  // namespace splitword
