#pragma once
// The common plain number, read the short way: an optional "-", then at most 19 digits with at
// most one point ("-12.5", "7", ".5", "5."). Its digits as an integer m and its places d give
// m / 10^d; for m <= 2^53 both are exact doubles and the one division rounds correctly, so the
// value is NumericPrefix's for that text, bit for bit. Whatever is not such a number (no digit,
// more digits, a larger m) is declined and takes the full reading.

#include <bit>
#include <cstddef>
#include <cstdint>

#include "byte_lanes.h"

namespace rt {

// 10^0 to 10^19, each an exact double.
inline constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,
                                          1e7,  1e8,  1e9,  1e10, 1e11, 1e12, 1e13,
                                          1e14, 1e15, 1e16, 1e17, 1e18, 1e19};

// The value of a plain number: its digits m (at most 2^53) and its places (at most 19).
inline double PlainNumberValue(std::uint64_t m, std::size_t places, bool negative) noexcept {
    const double magnitude = static_cast<double>(m) / kPowersOfTen[places];
    // The sign without a branch: signs come and go at random in a file of data.
    const std::uint64_t sign = std::uint64_t{negative} << 63;
    return std::bit_cast<double>(std::bit_cast<std::uint64_t>(magnitude) | sign);
}

// Reads the plain number at the start of [p, end), one digit at a time. Returns where it ends
// (the first byte that is neither a digit nor its first point), or nullptr when it declines.
// Whether what follows ends the number is for the caller to judge.
const char* ReadPlainNumber(const char* p, const char* end, double& value) noexcept;

// The same reading, eight bytes at a time for numbers of up to 7 digits before the point and 7
// after it; longer ones go one digit at a time. For bytes whose lines end in a CR or LF: the
// number must end by `end` at such a byte, and the bytes up to p + 16 must be readable (a
// PaddedBuffer's padding holds them), since the bytes after the number are looked at too.
inline const char* ReadPlainNumberEightAtATime(const char* p, const char* const end,
                                               double& value) noexcept {
    if constexpr (std::endian::native != std::endian::little) {
        return ReadPlainNumber(p, end, value);
    }
    static constexpr std::uint64_t kTens[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000};
    const bool negative = *p == '-';
    const char* const first = p + negative;
    const std::uint64_t head = Load8(first);
    const std::uint64_t headStops = NonDigitBytes(head);
    if (headStops == 0) return ReadPlainNumber(p, end, value);  // 8 digits or more
    const auto whole = static_cast<unsigned>(std::countr_zero(headStops) >> 3);
    const char* const wholeEnd = first + whole;
    const bool point = *wholeEnd == '.';
    const std::uint64_t tail = Load8(wholeEnd + 1);
    const std::uint64_t tailStops = NonDigitBytes(tail);
    if (point && tailStops == 0) return ReadPlainNumber(p, end, value);  // 8 places or more
    // Without a point, no places (the tail's digits do not count): kept free of branches, since
    // points come and go at random.
    const unsigned places =
        static_cast<unsigned>(std::countr_zero(tailStops) >> 3) & (0u - unsigned{point});
    if (whole + places == 0) return nullptr;
    const std::uint64_t m = DigitsValue(head, whole) * kTens[places] + DigitsValue(tail, places);
    value = PlainNumberValue(m, places, negative);
    return wholeEnd + point + places;
}

}  // namespace rt
