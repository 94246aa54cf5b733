#include "byte_lanes.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <random>
#include <string>

namespace {

TEST(LineFeedMaskTest, MarksExactlyTheLfs) {
    // Bytes next to an LF in value (0x0A with the high bit, 0x0B, 0x09) must not count.
    const std::string alphabet = std::string("\n\n\r\t\x0B\x8A\x0A\xFF\x00 5.-", 13);
    std::mt19937 random(9);
    char bytes[64];
    for (int round = 0; round < 5000; ++round) {
        std::uint64_t expected = 0;
        for (int i = 0; i < 64; ++i) {
            bytes[i] = alphabet[random() % alphabet.size()];
            if (bytes[i] == '\n') expected |= std::uint64_t{1} << i;
        }
        ASSERT_EQ(rt::LineFeedMask(bytes), expected) << round;
        ASSERT_EQ(rt::LineFeedMaskByWords(bytes), expected) << round;
        ASSERT_EQ(rt::LineFeedMaskByBytes(bytes), expected) << round;
    }
}

TEST(ByteLanesTest, DigitLanesOfEightBytes) {
    if constexpr (std::endian::native != std::endian::little) GTEST_SKIP() << "little-endian only";
    const struct {
        const char* bytes;        // eight bytes
        std::uint64_t nonDigits;  // the lanes NonDigitBytes marks
        unsigned leading;         // digits before the first other byte (at most 7 used)
        std::uint64_t value;      // DigitsValue of the leading digits
    } cases[] = {
        {"12345678", 0, 7, 1234567},
        {"1234567.", 0x8000000000000000, 7, 1234567},
        {"0.5\r\n\0\0\0", 0x8080808080008000, 1, 0},
        {"-12.5\r\n\0", 0x8080800080000080, 0, 0},
        {"907\n/:90", 0x0000808080000000, 3, 907},
        // The bytes around '0' to '9' in value, and their high-bit twins.
        {"/:\xB0\xB9 \x00\x10\x7F", 0x8080808080808080, 0, 0},
        {"0000001x", 0x8000000000000000, 7, 1},
    };
    for (const auto& c : cases) {
        const std::uint64_t word = rt::Load8(c.bytes);
        EXPECT_EQ(rt::NonDigitBytes(word), c.nonDigits) << c.bytes;
        EXPECT_EQ(rt::DigitsValue(word, c.leading), c.value) << c.bytes;
        EXPECT_EQ(rt::DigitsValue(word, 0), 0u) << c.bytes;
    }
}

}  // namespace
