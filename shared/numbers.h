#pragma once
// Numbers read from text and written as text.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace rt {

// The value of the leading number of a text. Blanks, tabs and line feeds are skipped at the
// start and inside the number ("1 000" reads 1000); then an optional sign, digits with at most
// one "." as decimal point, and an optional exponent (E, e, D or d) with its own sign. Whatever
// follows is ignored; a text that does not begin with a number reads 0. A number too large for
// a double throws error 6. The value is correctly rounded. The common plain number ("-12.5")
// is read the short way (plain_number.h); every other text by NumericPrefixReader.
double NumericPrefix(std::string_view text);

// The one reading of NumericPrefix's form, for a text whole or in pieces (a line too long to be
// held), holding a bounded part of it however long the text is: the number's first 800
// significant digits, whether any digit after those is not 0, and counts for the rest. Those
// digits decide the rounding (every double, and every point halfway between two, has at most 767
// significant digits), and the counts place the point and the exponent.
class NumericPrefixReader {
  public:
    // The next piece of the text. Once the number has ended, pieces are not looked at.
    void feed(std::string_view piece);
    bool ended() const noexcept { return phase_ == Phase::kEnded; }
    // The value of the text fed so far; error 6 as NumericPrefix.
    double value() const;

  private:
    enum class Phase : unsigned char { kLead, kMantissa, kMark, kExponentSign, kExponent, kEnded };
    static constexpr std::size_t kDigitsKept = 800;
    void mantissa(char c);

    Phase phase_ = Phase::kLead;
    bool negative_ = false;
    bool point_ = false;
    bool anyDigit_ = false;
    bool leadingFound_ = false;
    bool nonZeroDropped_ = false;  // a digit after the kept ones is not 0
    bool exponentNegative_ = false;
    bool exponentTaken_ = false;  // a digit followed the exponent's mark
    std::int64_t intDigits_ = 0;
    std::int64_t zerosAfterPoint_ = 0;
    std::int64_t scale_ = 0;
    std::int64_t exponent_ = 0;      // up to 10^9: enough to tell overflow from underflow
    std::int64_t fullExponent_ = 0;  // the exponent's value, up to 10^17
    std::string digits_;             // the significant digits kept
};

// A double as text, without blanks: "-" before negatives, whole numbers as plain digits,
// fractions with up to 15 significant digits and a 0 before the point (0.5, -0.25), and an
// exponent form (1E+15, 1E-05) for magnitudes too large or too small for that. -0 reads "0".
std::string NumberText(double value);

// The text a number shows in a text box: the form of NumberText with the user's decimal mark
// ("," in German) in place of ".". It always reads back with TextToNumber: where 15 digits
// rounded to nearest would pass the largest double (1.79769313486232E+308), they are cut toward
// zero instead (1.79769313486231E+308).
std::string NumberToText(double value, std::string_view decimalMark = ".");

// The number a text box's text stands for: blanks around it allowed, otherwise the whole text
// must be one number in the form NumericPrefix reads, written with the user's decimal mark;
// anything else throws error 13.
double TextToNumber(std::string_view text, std::string_view decimalMark = ".");

}  // namespace rt
