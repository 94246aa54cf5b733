#pragma once
// Bad input files, made the same way on every machine.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>

namespace badinput {

// `size` random bytes of every value, NUL included, from a fixed seed (the Mersenne twister's
// output is the same everywhere).
inline std::string Garbage(std::uint32_t seed, std::size_t size) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; i += 4) {
        const std::uint32_t word = random();
        for (std::size_t k = 0; k < 4 && i + k < size; ++k)
            bytes[i + k] = static_cast<char>((word >> (8 * k)) & 0xFF);
    }
    return bytes;
}

// `size` random bytes drawn from `alphabet` (a byte may stand in it more than once, to come more
// often), from a fixed seed.
inline std::string GarbageOf(std::string_view alphabet, std::uint32_t seed, std::size_t size) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = alphabet[random() % alphabet.size()];
    return bytes;
}

// A text as UTF-16 little-endian with its byte-order mark (each byte of `text` one code unit).
inline std::string Utf16(std::string_view text) {
    std::string bytes = "\xFF\xFE";
    for (const char c : text) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

// `size` bytes of `head` followed by lower-case letters, without any line end.
inline std::string LongLine(std::string_view head, std::size_t size) {
    std::string line(head);
    line.reserve(size);
    line += "abcdefghijklmnopqrstuvwxyz";
    // Doubling the letters keeps them in the same order of the alphabet.
    while (line.size() < size) {
        line.append(line, head.size(), std::min(line.size() - head.size(), size - line.size()));
    }
    line.resize(size);
    return line;
}

inline constexpr std::size_t kHundredMegabytes = std::size_t{100} << 20;

}  // namespace badinput
