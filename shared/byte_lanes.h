#pragma once
// Bytes looked at many at a time: the eight bytes of a 64-bit word as eight lanes worked on with
// plain integer arithmetic, and the LFs of 64 bytes found at once. Where a word's byte order
// matters, the first byte in memory is the lowest byte of the word (little-endian machines).

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace rt {

// 0x01 in every byte: `kByteOnes * b` puts the byte b into every lane.
inline constexpr std::uint64_t kByteOnes = 0x0101010101010101;

// Eight bytes from p, the first in the lowest byte on a little-endian machine.
inline std::uint64_t Load8(const char* p) noexcept {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// 0x80 in every byte of `word` that equals `byte`, 0 in every other: exact, since no carry
// crosses a byte.
inline std::uint64_t BytesEqualTo(std::uint64_t word, unsigned char byte) noexcept {
    const std::uint64_t v = word ^ (kByteOnes * byte);
    return ~(((v & (kByteOnes * 0x7F)) + kByteOnes * 0x7F) | v) & (kByteOnes * 0x80);
}

// 0x80 in every byte of `word` that is not a digit, 0 in every digit byte.
inline std::uint64_t NonDigitBytes(std::uint64_t word) noexcept {
    // Non-zero where the high half is not 3, or where the low half is 10 or more.
    const std::uint64_t v = ((word & (kByteOnes * 0xF0)) ^ (kByteOnes * 0x30)) |
                            (((word & (kByteOnes * 0x0F)) + kByteOnes * 6) & (kByteOnes * 0xF0));
    return (v | ((v & (kByteOnes * 0x7F)) + kByteOnes * 0x7F)) & (kByteOnes * 0x80);
}

// The value of the first `count` (0 to 7) bytes of a little-endian `word`, all digits.
inline std::uint64_t DigitsValue(std::uint64_t word, unsigned count) noexcept {
    // The digits move to the top bytes, zeros come in below them; what followed drops out.
    std::uint64_t v = ((word - kByteOnes * '0') << 8) << (8 * (7 - count));
    v = v * 10 + (v >> 8);
    v = (((v & 0x000000FF000000FF) * (100 + (1000000ULL << 32))) +
         (((v >> 16) & 0x000000FF000000FF) * (1 + (10000ULL << 32)))) >>
        32;
    return v;
}

// The mask of LFs in 64 bytes, bit i set where bytes[i] is an LF, built eight bytes at a time.
// Only right on a little-endian machine; others use LineFeedMaskByBytes.
inline std::uint64_t LineFeedMaskByWords(const char* bytes) noexcept {
    std::uint64_t mask = 0;
    for (int k = 0; k < 8; ++k) {
        const std::uint64_t feeds = BytesEqualTo(Load8(bytes + 8 * k), '\n');
        // Gathers the eight 0x80 bits into one byte, the first byte's in the lowest bit.
        mask |= (((feeds >> 7) * 0x0102040810204080) >> 56) << (8 * k);
    }
    return mask;
}

// The same mask built one byte at a time.
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

}  // namespace rt
