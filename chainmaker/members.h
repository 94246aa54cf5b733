#pragma once
// The strings of a run as members of lines, laid out once: each followed by CR LF, with its hash
// and the power that extends a hash past it; and the copies that put them into lines.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "padded_buffer.h"
#include "string_list.h"
#include "text_hash.h"

namespace chainmaker {

// Copies `size` bytes; with kFixed > 0 (and size <= kFixed) exactly kFixed bytes, otherwise in
// whole 16-byte pieces. Either way up to 64 bytes past the end of both sides may be read or
// written: the buffers it works on are padded (rt::kPadding).
template <std::size_t kFixed>
inline void CopyWide(char* to, const char* from, std::size_t size) {
    if constexpr (kFixed > 0) {
        __builtin_memcpy(to, from, kFixed);
    } else {
        for (std::size_t at = 0; at < size; at += 16) __builtin_memcpy(to + at, from + at, 16);
    }
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

    std::string_view text() const noexcept { return std::string_view(ended, size - 2); }
};

// The first n entries laid out once, each followed by CR LF, with rt::kPadding bytes behind them.
struct Members {
    rt::PackedStrings text{rt::PackedStrings::Terminator::kCrLf};
    std::vector<Member> member;
    std::size_t longest = 0;  // the longest entry, without CR LF

    Members(const StringList& list, std::int32_t n, const rt::TextHash& hash)
        : member(static_cast<std::size_t>(n)) {
        std::size_t total = 0;
        for (std::int32_t i = 0; i < n; ++i) total += list[i].size() + 2;
        text.reserve(total, static_cast<std::size_t>(n));
        for (std::int32_t i = 0; i < n; ++i) text.push_back(list[i]);
        for (std::int32_t i = 0; i < n; ++i) {
            const std::string_view entry = text[i];
            member[i] =
                Member{entry.data(), entry.size() + 2, hash(entry), hash.power(entry.size())};
            longest = std::max(longest, entry.size());
        }
    }
};

}  // namespace chainmaker
