#include "splitword_job.h"

#include <algorithm>
#include <limits>
#include <system_error>

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

std::string NormaliseThresholdText(std::string_view boxText) {
    return rt::NumberToText(rt::NumericPrefix(rt::Trim(boxText)));
}

void WordList::add(std::string_view word) {
    if (offsets_.size() - 1 >= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        throw rt::RuntimeError(rt::kOverflow);
    bytes_.append(word);
    offsets_.push_back(bytes_.size());
}

WordList ReadWordList(const std::filesystem::path& folder, double threshold) {
    const std::filesystem::path path = rt::ResolveName(folder, "in.txt");
    rt::LineReader in(path);
    WordList words;
    // The kept words never hold more bytes than the file: one block of that size never moves.
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (!ec) words.reserveBytes(static_cast<std::size_t>(size));
    while (!in.atEnd()) {
        const std::string_view candidate = rt::Trim(s::TextBeforeTab(in.readLine()));
        if (threshold > static_cast<double>(CharacterCount(candidate))) continue;
        words.add(candidate);
    }
    in.close();
    return words;
}

void WriteDebugList(const std::filesystem::path& folder, const WordList& words) {
    rt::LineWriter debug(rt::ResolveName(folder, "Debug.txt"));
    for (std::int32_t k = 0; k < words.count(); ++k) debug.printLine(words.word(k));
    debug.close();
}

namespace {

// Polynomial hashes modulo the prime 2^61 - 1, so that the hash of any part of a word follows
// from the hashes of its prefixes.
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

// The hash after appending one byte (bytes count from 1, so leading zero bytes still count).
std::uint64_t Extend(std::uint64_t hash, char c) noexcept {
    const std::uint64_t next = MulMod(hash, kBase) + static_cast<unsigned char>(c) + 1;
    return next >= kPrime ? next - kPrime : next;
}

std::uint64_t HashOf(std::string_view text) noexcept {
    std::uint64_t hash = 0;
    for (const char c : text) hash = Extend(hash, c);
    return hash;
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

// The distinct texts of the list, each with its first position and all its positions in order.
class WordIndex {
  public:
    static constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

    explicit WordIndex(const WordList& words) : words_(words) {
        const auto count = static_cast<std::uint32_t>(words.count());
        std::vector<std::uint32_t> textOf(count);
        resize(16);
        for (std::uint32_t k = 0; k < count; ++k) {
            const std::string_view word = words.word(static_cast<std::int32_t>(k));
            maxBytes_ = std::max(maxBytes_, word.size());
            const std::uint64_t hash = HashOf(word);
            std::uint32_t text = find(hash, word);
            if (text == kNone) {
                text = static_cast<std::uint32_t>(first_.size());
                if ((first_.size() + 1) * 2 > slots_.size()) resize(slots_.size() * 2);
                first_.push_back(k);
                hash_.push_back(hash);
                insert(text);
            }
            textOf[k] = text;
        }
        // All positions of each text, grouped by text, ascending within a group.
        start_.assign(first_.size() + 1, 0);
        for (const std::uint32_t text : textOf) ++start_[text + 1];
        for (std::size_t t = 1; t < start_.size(); ++t) start_[t] += start_[t - 1];
        positions_.resize(count);
        std::vector<std::uint32_t> fill(start_.begin(), start_.end() - 1);
        for (std::uint32_t k = 0; k < count; ++k) positions_[fill[textOf[k]]++] = k;
    }

    // The text equal to `bytes` (whose hash is `hash`), or kNone.
    std::uint32_t find(std::uint64_t hash, std::string_view bytes) const noexcept {
        for (std::size_t slot = home(hash);; slot = (slot + 1) & mask_) {
            const Slot& entry = slots_[slot];
            if (entry.text == kNone) return kNone;
            if (entry.tag == static_cast<std::uint32_t>(hash) && hash_[entry.text] == hash &&
                words_.word(static_cast<std::int32_t>(first_[entry.text])) == bytes)
                return entry.text;
        }
    }
    std::size_t maxBytes() const noexcept { return maxBytes_; }
    const std::uint32_t* positionsBegin(std::uint32_t text) const noexcept {
        return positions_.data() + start_[text];
    }
    const std::uint32_t* positionsEnd(std::uint32_t text) const noexcept {
        return positions_.data() + start_[text + 1];
    }

  private:
    std::size_t home(std::uint64_t hash) const noexcept {
        return static_cast<std::size_t>((hash * 0x9E3779B97F4A7C15ULL) >> shift_);
    }
    void insert(std::uint32_t text) noexcept {
        const std::uint64_t hash = hash_[text];
        std::size_t slot = home(hash);
        while (slots_[slot].text != kNone) slot = (slot + 1) & mask_;
        slots_[slot] = Slot{text, static_cast<std::uint32_t>(hash)};
    }
    void resize(std::size_t size) {
        slots_.assign(size, Slot{});
        mask_ = size - 1;
        shift_ = 64;
        for (std::size_t s = size; s > 1; s >>= 1) --shift_;
        for (std::uint32_t text = 0; text < first_.size(); ++text) insert(text);
    }

    const WordList& words_;
    std::vector<std::uint32_t> first_;  // per text: its first position
    std::vector<std::uint64_t> hash_;   // per text: its hash
    std::vector<std::uint32_t> start_;  // per text: where its positions begin in positions_
    std::vector<std::uint32_t> positions_;
    // Open addressing: a text (kNone for a free slot) with the low bits of its hash, so that
    // most texts that differ are told apart without reading anything else.
    struct Slot {
        std::uint32_t text = kNone;
        std::uint32_t tag = 0;
    };
    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
    unsigned shift_ = 64;
    std::size_t maxBytes_ = 0;
};

// A split of the word being searched: the positions of its first member in the list.
struct Split {
    const std::uint32_t* next;  // the first member's next position still to write
    const std::uint32_t* end;
    std::size_t prefixBytes;  // the first member is this many bytes of the word
};

void WriteFind(rt::LineWriter& out, std::string_view word, std::size_t prefixBytes) {
    out.print(word);
    out.print("\t");
    out.print(word.substr(0, prefixBytes));
    out.print("\t");
    // The second member is the first list entry equal to the rest: the same bytes.
    out.printLine(word.substr(prefixBytes));
}

}  // namespace

std::int64_t SearchCompounds(const WordList& words, double threshold, rt::LineWriter& out,
                             Progress& progress) {
    out.printLine("Possible compound\tFirst member\tSecond member");
    const WordIndex index(words);
    const Powers power;
    const std::int32_t count = words.count();
    std::vector<Split> splits;
    // Splits whose first member occurs more than once are merged by position with a heap.
    const auto later = [](const Split& a, const Split& b) { return *a.next > *b.next; };
    std::int64_t finds = 0;
    std::int32_t progressCounter = 0;

    for (std::int32_t i = 1; i <= count; ++i) {
        if (++progressCounter == 100) {
            progress.workingOn(i, count);
            progressCounter = 0;
        }
        const std::string_view word = words.word(i - 1);
        const std::uint64_t wordHash = HashOf(word);
        const std::int64_t wordChars = CharacterCount(word);
        const std::size_t lastPrefix = std::min(word.size(), index.maxBytes());

        // Every prefix that ends on a character boundary and is a list word, with a rest that
        // is long enough and a list word too.
        splits.clear();
        std::uint64_t prefixHash = 0;
        std::int64_t prefixChars = 0;
        for (std::size_t bytes = 0;;) {
            const std::uint32_t first = index.find(prefixHash, word.substr(0, bytes));
            if (first != WordIndex::kNone &&
                !(threshold > static_cast<double>(wordChars - prefixChars))) {
                const std::uint64_t restHash =
                    (wordHash + kPrime - MulMod(prefixHash, power(word.size() - bytes))) % kPrime;
                if (index.find(restHash, word.substr(bytes)) != WordIndex::kNone) {
                    splits.push_back(
                        Split{index.positionsBegin(first), index.positionsEnd(first), bytes});
                }
            }
            if (bytes >= lastPrefix) break;
            const std::size_t size = CharacterSize(word, bytes);
            for (const std::size_t stop = bytes + size; bytes < stop; ++bytes)
                prefixHash = Extend(prefixHash, word[bytes]);
            ++prefixChars;
        }
        if (splits.empty()) continue;

        if (splits.size() == 1) {
            const Split& split = splits.front();
            for (const std::uint32_t* l = split.next; l != split.end; ++l)
                WriteFind(out, word, split.prefixBytes);
            finds += split.end - split.next;
            continue;
        }
        std::make_heap(splits.begin(), splits.end(), later);
        while (!splits.empty()) {
            std::pop_heap(splits.begin(), splits.end(), later);
            Split& split = splits.back();
            WriteFind(out, word, split.prefixBytes);
            ++finds;
            if (++split.next == split.end) {
                splits.pop_back();
            } else {
                std::push_heap(splits.begin(), splits.end(), later);
            }
        }
    }
    return finds;
}

RunResult Run(const std::filesystem::path& folder, double threshold, Progress& progress) {
    progress.readingInput();
    const WordList words = ReadWordList(folder, threshold);
    WriteDebugList(folder, words);
    rt::LineWriter out(rt::ResolveName(folder, "out.txt"));
    RunResult result;
    result.wordCount = words.count();
    result.findCount = SearchCompounds(words, threshold, out, progress);
    out.close();
    return result;
}

}  // namespace splitword
