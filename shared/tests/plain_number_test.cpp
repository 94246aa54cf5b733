#include "plain_number.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>

#include "numbers.h"

namespace {

// Both ways of reading a plain number against the expected reading, and against NumericPrefix.
TEST(PlainNumberTest, ReadsAsNumericPrefixOrDeclines) {
    const struct {
        const char* text;
        int length;  // of the number read; -1 where the reading declines
        double value;
    } cases[] = {
        {"0", 1, 0.0},
        {"-0", 2, -0.0},
        {"7", 1, 7},
        {"-12.5", 5, -12.5},
        {"5.", 2, 5},
        {".5", 2, 0.5},
        {"-.5", 3, -0.5},
        {"0.1", 3, 0.1},
        // The number ends where a byte cannot continue it; the caller judges what follows.
        {"12apples", 2, 12},
        {"5 3", 1, 5},
        {"1.2.3", 3, 1.2},
        {"5e3", 1, 5},
        {"7\t8", 1, 7},
        // No digit, or something before the digits: declined.
        {"", -1, 0},
        {"-", -1, 0},
        {".", -1, 0},
        {"-.", -1, 0},
        {"+5", -1, 0},
        {"--5", -1, 0},
        {" 5", -1, 0},
        // Seven digits on either side of the point fit eight bytes; more go one at a time.
        {"1234567", 7, 1234567},
        {"12345678", 8, 12345678},
        {"1234567.1234567", 15, 1234567.1234567},
        {"1234567.12345678", 16, 1234567.12345678},
        {"12345678.1", 10, 12345678.1},
        {"-0.0000001", 10, -1e-7},
        // At most 19 digits, whose integer is at most 2^53.
        {"9007199254740992", 16, 9007199254740992.0},
        {"900719925474099.2", 17, 900719925474099.2},
        {"9007199254740993", -1, 0},
        {"0.30000000000000004", -1, 0},
        {"0000000000000000001", 19, 1},
        {"0.000000000000000001", 20, 1e-18},
        {"00000000000000000001", -1, 0},
        {"0.0000000000000000001", -1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string text = c.text;
        // A line end after the text, then digits that must not be read.
        const std::string block = text + "\n" + std::string(24, '9');
        const char* const begin = block.data();
        const char* const end = begin + text.size();
        double byDigits = 0;
        double byWords = 0;
        const char* const digitsEnd = rt::ReadPlainNumber(begin, end, byDigits);
        const char* const wordsEnd = rt::ReadPlainNumberEightAtATime(begin, end, byWords);
        if (c.length < 0) {
            EXPECT_EQ(digitsEnd, nullptr);
            EXPECT_EQ(wordsEnd, nullptr);
            continue;
        }
        ASSERT_EQ(digitsEnd, begin + c.length);
        ASSERT_EQ(wordsEnd, begin + c.length);
        const auto bits = std::bit_cast<std::uint64_t>(c.value);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(byDigits), bits);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(byWords), bits);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(rt::NumericPrefix(text.substr(0, c.length))), bits);
    }
}

}  // namespace
