#include "word_list.h"

#include <algorithm>
#include <limits>
#include <system_error>

#include "files.h"
#include "numbers.h"
#include "room.h"
#include "runtime_error.h"
#include "splitword_files.h"
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
    words_.reserve(bytes + bytes / 8 + 64, bytes / 10 + 1);
}

void WordList::add(std::string_view word) {
    if (words_.size() == static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        throw rt::RuntimeError(rt::kOverflow);
    words_.push_back(word);
    shortest_ = std::min(shortest_, word.size());
    longest_ = std::max(longest_, word.size());
}

WordList ReadWordList(const std::filesystem::path& folder, double threshold) {
    const std::filesystem::path path = rt::ResolveName(folder, kInputName);
    rt::LineReader in(path);
    WordList words;
    // Memory that cannot be had ends the run now, not the process half way through.
    const std::uint64_t size = in.size();
    if (const std::uint64_t room = rt::MemoryRoom();
        rt::SaturatingTimes(size, kMemoryPerInputByte) > room)
        rt::ThrowTooLargeForMemory(path, size, room);
    words.reserveFor(size);
    while (!in.atEnd()) {
        const std::string_view candidate = rt::Trim(rt::TextBeforeTab(in.readLine()));
        if (!LongEnough(candidate, threshold)) continue;
        words.add(candidate);
    }
    in.close();
    return words;
}

void WriteDebugList(const std::filesystem::path& folder, const WordList& words) {
    rt::LineWriter debug(rt::ResolveName(folder, kDebugName));
    debug.print(words.lines());
    debug.close();
}

}  // namespace splitword
