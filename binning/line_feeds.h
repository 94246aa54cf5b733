#pragma once
// Finding the LFs of 64 bytes at once, as a mask with bit i set where byte i is an LF.

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace binning {

// The mask built eight bytes at a time with plain integer arithmetic.
inline std::uint64_t LineFeedMaskByWords(const char* bytes) noexcept {
    constexpr std::uint64_t kOnes = 0x0101010101010101;
    std::uint64_t mask = 0;
    for (int k = 0; k < 8; ++k) {
        std::uint64_t word;
        std::memcpy(&word, bytes + 8 * k, sizeof word);
        // 0x80 in each byte that is an LF (exactly those: no carry crosses a byte).
        const std::uint64_t v = word ^ (kOnes * '\n');
        const std::uint64_t feeds = ~(((v & (kOnes * 0x7F)) + kOnes * 0x7F) | v) & (kOnes * 0x80);
        // Gathers the eight 0x80 bits into one byte, the first byte's in the lowest bit. Only
        // meaningful for a little-endian word; others use LineFeedMaskByBytes.
        mask |= (((feeds >> 7) * 0x0102040810204080) >> 56) << (8 * k);
    }
    return mask;
}

// The mask built one byte at a time.
inline std::uint64_t LineFeedMaskByBytes(const char* bytes) noexcept {
    std::uint64_t mask = 0;
    for (int i = 0; i < 64; ++i) mask |= std::uint64_t{bytes[i] == '\n'} << i;
    return mask;
}

// Bit i set where bytes[i] is an LF, for i from 0 to 63.
inline std::uint64_t LineFeedMask(const char* bytes) noexcept {
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    std::uint64_t mask = 0;
    for (int k = 0; k < 4; ++k) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 16 * k));
        const auto bits = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, lf)));
        mask |= std::uint64_t{bits} << (16 * k);
    }
    return mask;
#elif defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    return LineFeedMaskByWords(bytes);
#else
    return LineFeedMaskByBytes(bytes);
#endif
}

}  // namespace binning
