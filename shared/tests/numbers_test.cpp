#include "numbers.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "runtime_error.h"

namespace {

struct PrefixCase {
    std::string text;
    double value;
};

TEST(NumericPrefix, ReadsTheLeadingNumber) {
    const PrefixCase cases[] = {
        {"", 0},
        {"0", 0},
        {"12", 12},
        {"  12  ", 12},
        {"\t\n 12", 12},
        {"-5", -5},
        {"+5", 5},
        {"- 5", -5},
        {"1 000", 1000},
        {"1\t0 0\n0", 1000},
        {"12 apples", 12},
        {"apples", 0},
        {"abc", 0},
        {".", 0},
        {"-", 0},
        {"-.", 0},
        {".5", 0.5},
        {"5.", 5},
        {"-0.25", -0.25},
        {"1.2.3", 1.2},
        {"007", 7},
        {"1e3", 1000},
        {"1E3", 1000},
        {"1d3", 1000},
        {"1D-3", 0.001},
        {"2.5e+2x", 250},
        {"1e", 1},
        {"1e+", 1},
        {"1ex", 1},
        {"1 e 3", 1000},
        {"0x10", 0},
        {"1,5", 1},
        {"&H10", 0},
        {"1e-400", 0},
        {"0e999999999999", 0},
        {"1.7976931348623157e308", 1.7976931348623157e308},
        {"4.9406564584124654e-324", 4.9406564584124654e-324},
        {"0.1", 0.1},
        {"123456789.123456789", 123456789.123456789},
        {"\t5", 5},
        {"\r5", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("text: " + c.text);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(rt::NumericPrefix(c.text)),
                  std::bit_cast<std::uint64_t>(c.value))
            << rt::NumericPrefix(c.text);
    }
}

TEST(NumericPrefix, KeepsTheSignOfZero) {
    EXPECT_TRUE(std::signbit(rt::NumericPrefix("-0")));
    EXPECT_FALSE(std::signbit(rt::NumericPrefix("0")));
}

TEST(NumericPrefix, NumbersBeyondADoubleAreOverflow) {
    for (const char* text : {"1e309", "-1e309", "1e99999999999999999999", "2e308",
                             "179769313486231580793728971405303415079934132710037826936173778980"
                             "444968292764750946649017977587207096330286416692887910946555547851"
                             "940402630657488671505820681908902000708383676273854845817711531764"
                             "475730270069855571366959622842914819860834936475292719074168444365"
                             "510704342711559699508093042880177904174497792"}) {
        SCOPED_TRACE(text);
        try {
            rt::NumericPrefix(text);
            FAIL() << "no error";
        } catch (const rt::RuntimeError& e) {
            EXPECT_EQ(e.number(), 6);
        }
    }
}

TEST(NumericPrefix, LongRunsOfDigits) {
    EXPECT_EQ(rt::NumericPrefix(std::string(300, '0') + "5"), 5);
    EXPECT_EQ(rt::NumericPrefix("0." + std::string(300, '0') + "1e301"), 1);
    EXPECT_EQ(rt::NumericPrefix("1" + std::string(100, '0')), 1e100);
}

struct TextCase {
    double value;
    std::string text;
};

TEST(NumberText, Forms) {
    const TextCase cases[] = {
        {0, "0"},
        {-0.0, "0"},
        {7, "7"},
        {-5, "-5"},
        {10, "10"},
        {0.5, "0.5"},
        {-0.25, "-0.25"},
        {1.5, "1.5"},
        {0.1, "0.1"},
        {1.0 / 3, "0.333333333333333"},
        {123456789012345, "123456789012345"},
        {1e15, "1E+15"},
        {-1e15, "-1E+15"},
        {2147483647, "2147483647"},
        {0.0001, "0.0001"},
        {0.00001, "1E-05"},
        {1.5e300, "1.5E+300"},
        {1e-300, "1E-300"},
        {12.5, "12.5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(rt::NumberText(c.value), c.text);
    }
}

TEST(NumberToText, UsesTheDecimalMarkGivenAndAlwaysReadsBack) {
    const struct {
        double value;
        std::string mark;
        std::string text;
        double readBack;
    } cases[] = {
        {2.5, ".", "2.5", 2.5},
        {2.5, ",", "2,5", 2.5},
        {-0.25, ",", "-0,25", -0.25},
        {3, ",", "3", 3},
        {1.5e300, ",", "1,5E+300", 1.5e300},
        // 15 digits rounded to nearest would pass the largest double: cut toward zero.
        {1.7976931348623157e308, ".", "1.79769313486231E+308", 1.79769313486231e308},
        {-1.7976931348623157e308, ",", "-1,79769313486231E+308", -1.79769313486231e308},
        {1.797693134862314e308, ".", "1.79769313486231E+308", 1.79769313486231e308},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(rt::NumberToText(c.value, c.mark), c.text);
        EXPECT_EQ(rt::TextToNumber(c.text, c.mark), c.readBack);
    }
    // In a locale with a decimal comma, a point is no decimal mark.
    EXPECT_THROW(rt::TextToNumber("2.5", ","), rt::RuntimeError);
}

TEST(TextToNumber, AcceptsOnlyWholeNumbers) {
    EXPECT_EQ(rt::TextToNumber("3"), 3);
    EXPECT_EQ(rt::TextToNumber(" -2.5 "), -2.5);
    EXPECT_EQ(rt::TextToNumber("1E+15"), 1e15);
    EXPECT_EQ(rt::TextToNumber(rt::NumberToText(0.1)), 0.1);
    for (const char* text : {"", " ", "abc", "3x", "1 000", ".", "-", "1e", "1e+"}) {
        SCOPED_TRACE(text);
        try {
            rt::TextToNumber(text);
            FAIL() << "no error";
        } catch (const rt::RuntimeError& e) {
            EXPECT_EQ(e.number(), 13);
        }
    }
}

}  // namespace

namespace {

TEST(NumericPrefix, PlainNumbersAreCorrectlyRounded) {
    // Plain numbers take a shorter road than the rest; both must give the correctly rounded
    // value, which strtod gives too.
    std::mt19937_64 random(7);
    for (int i = 0; i < 200000; ++i) {
        std::string text = (random() % 3 == 0 ? "-" : "");
        text += std::to_string(random() % (i % 2 ? 1000 : 10000000000000000ULL));
        if (random() % 2) {
            text += ".";
            const int places = static_cast<int>(random() % 23);
            for (int k = 0; k < places; ++k) text += static_cast<char>('0' + random() % 10);
        }
        if (random() % 8 == 0) text += " apples";
        const double want = std::strtod(text.c_str(), nullptr);
        ASSERT_EQ(std::bit_cast<std::uint64_t>(rt::NumericPrefix(text)),
                  std::bit_cast<std::uint64_t>(want))
            << text;
    }
}

}  // namespace

namespace {

// NumericPrefix's outcome: the value's bits, or the error.
template <class Read>
std::string Outcome(const Read& read) {
    try {
        return std::to_string(std::bit_cast<std::uint64_t>(read()));
    } catch (const rt::RuntimeError& error) {
        return "error " + std::to_string(error.number());
    }
}

// The reader, fed the text in pieces of `piece` bytes.
std::string ReaderOutcome(const std::string& text, std::size_t piece) {
    rt::NumericPrefixReader reader;
    for (std::size_t at = 0; at < text.size(); at += piece)
        reader.feed(std::string_view(text).substr(at, piece));
    return Outcome([&] { return reader.value(); });
}

TEST(NumericPrefixReader, ReadsAsNumericPrefixInAnyPieces) {
    const std::string z(1000, '0');
    std::vector<std::string> texts = {
        "",
        "5",
        "-0",
        " - 5",
        "+-5",
        "1 000",
        "12 apples",
        ".",
        "-.",
        "1.2.3",
        "1e3",
        "1 e 2",
        "7e",
        "7e+",
        "7e+x",
        "2.5d1",
        "-1E+2",
        "1e-5",
        "1e309",
        "1e-400",
        "0e999999999999",
        "1e99999999999999999999999",
        "1e-99999999999999999999999",
        // More digits than decide the rounding: a far digit moves a halfway point.
        "9007199254740993." + z + "1",
        "9007199254740993." + z,
        "9007199254740993" + z + "1e-1001",
        "0." + z + "5e1000",
        z + "5",
        "1" + z + "e-997",
        "7e" + z + "2",
        "5" + z,
        "0." + z + "5",
        "-0." + z + "5e10",
        "0." + z,
        "1" + std::string(900, '3') + "e-900",
        "4.9406564584124654e-324",
        "2.4703282292062327e-324",
        "2.4703282292062328e-324",
        "1.7976931348623158e308",
        "1.7976931348623159e308",
    };
    // Random texts of the characters a number is made of, long ones too.
    std::mt19937_64 random(31);
    const std::string alphabet = "0123456789000000000 .-+eEdD\tx";
    for (int i = 0; i < 3000; ++i) {
        std::string text;
        const std::size_t length = random() % (i % 10 == 0 ? 3000 : 40);
        for (std::size_t k = 0; k < length; ++k) text += alphabet[random() % alphabet.size()];
        texts.push_back(text);
    }
    for (const std::string& text : texts) {
        const std::string want = Outcome([&] { return rt::NumericPrefix(text); });
        for (const std::size_t piece : {std::size_t{1}, std::size_t{7}, text.size() + 1})
            ASSERT_EQ(ReaderOutcome(text, piece), want)
                << "[" << text << "] in pieces of " << piece;
    }
}

}  // namespace
