#include "numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <system_error>

#include "plain_number.h"
#include "runtime_error.h"
#include "text.h"

namespace rt {
namespace {

constexpr bool IsDigit(char c) noexcept {
    return c >= '0' && c <= '9';
}
constexpr bool IsSkipped(char c) noexcept {
    return c == ' ' || c == '\t' || c == '\n';
}
constexpr bool IsExponentMark(char c) noexcept {
    return c == 'e' || c == 'E' || c == 'd' || c == 'D';
}

// Collects the characters of a number in the form std::from_chars reads. Short numbers stay in
// a fixed array; a longer one (up to the 800 significant digits kept) moves to the heap.
class NumberChars {
  public:
    void push(char c) {
        if (size_ < sizeof(small_)) {
            small_[size_++] = c;
            return;
        }
        if (large_.empty()) large_.assign(small_, size_);
        large_.push_back(c);
        ++size_;
    }
    const char* data() const noexcept { return large_.empty() ? small_ : large_.data(); }
    std::size_t size() const noexcept { return size_; }

  private:
    char small_[96];
    std::size_t size_ = 0;
    std::string large_;
};

// Converts gathered characters ("-12.5e+3" with at least one mantissa digit); error 6 when the
// magnitude is beyond a double. `scale` is the decimal exponent of the leading digit, clamped.
double Convert(const NumberChars& chars, bool negative, std::int64_t scale) {
    double value = 0;
    const char* first = chars.data();
    const char* last = first + chars.size();
    const auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        // Either beyond the largest double or below the smallest: the scale tells which.
        if (scale > 0) throw RuntimeError(kOverflow);
        return negative ? -0.0 : 0.0;
    }
    if (ec != std::errc{} || ptr != last) return 0;  // cannot happen for gathered text
    if (std::isinf(value)) throw RuntimeError(kOverflow);
    return value;
}

// The common plain number read the short way (plain_number.h), when it ends where NumericPrefix
// ends it: at the end of the text or at a character that cannot continue a number. Anything
// else (blanks inside, an exponent, many digits) returns false and takes the full reading.
bool TryPlainNumber(std::string_view text, double& value) noexcept {
    const char* const end = text.data() + text.size();
    const char* const p = ReadPlainNumber(text.data(), end, value);
    return p && (p == end || !(IsSkipped(*p) || IsExponentMark(*p) || *p == '.'));
}

}  // namespace

double NumericPrefix(std::string_view text) {
    double plain;
    if (TryPlainNumber(text, plain)) return plain;
    NumericPrefixReader reader;
    reader.feed(text);
    return reader.value();
}

void NumericPrefixReader::mantissa(char c) {
    if (IsDigit(c)) {
        anyDigit_ = true;
        if (!leadingFound_) {
            if (c != '0') {
                leadingFound_ = true;
                scale_ = point_ ? -zerosAfterPoint_ : 0;
            } else if (point_) {
                ++zerosAfterPoint_;
            }
        }
        if (!point_ && leadingFound_) ++intDigits_;
        if (leadingFound_) {
            if (digits_.size() < kDigitsKept) {
                digits_.push_back(c);
            } else if (c != '0') {
                nonZeroDropped_ = true;
            }
        }
    } else if (c == '.' && !point_) {
        point_ = true;
    } else if (!IsSkipped(c)) {
        phase_ = IsExponentMark(c) ? Phase::kMark : Phase::kEnded;
    }
}

void NumericPrefixReader::feed(std::string_view piece) {
    for (const char c : piece) {
        switch (phase_) {
            case Phase::kLead:
                if (IsSkipped(c)) break;
                phase_ = Phase::kMantissa;
                if (c == '+' || c == '-') {
                    negative_ = c == '-';
                    break;
                }
                mantissa(c);
                break;
            case Phase::kMantissa: mantissa(c); break;
            case Phase::kMark:
            case Phase::kExponentSign:
                if (IsSkipped(c)) break;
                if (phase_ == Phase::kMark && (c == '+' || c == '-')) {
                    exponentNegative_ = c == '-';
                    phase_ = Phase::kExponentSign;
                    break;
                }
                if (!IsDigit(c)) {
                    phase_ = Phase::kEnded;
                    return;
                }
                phase_ = Phase::kExponent;
                [[fallthrough]];
            case Phase::kExponent:
                if (IsDigit(c)) {
                    exponentTaken_ = true;
                    if (exponent_ < 1'000'000'000) exponent_ = exponent_ * 10 + (c - '0');
                    if (fullExponent_ < 100'000'000'000'000'000)
                        fullExponent_ = fullExponent_ * 10 + (c - '0');
                } else if (!IsSkipped(c)) {
                    phase_ = Phase::kEnded;
                }
                break;
            case Phase::kEnded: return;
        }
    }
}

double NumericPrefixReader::value() const {
    if (!anyDigit_) return 0;
    if (!leadingFound_) return negative_ ? -0.0 : 0.0;
    // The value is 0.D x 10^place, D the significant digits: the decimal exponent of the leading
    // digit before the exponent.
    const std::int64_t place = scale_ == 0 ? intDigits_ : scale_;
    std::int64_t scale = place;
    constexpr std::int64_t kFar = 1'000'000'000'000'000'000;  // more than any file's bytes
    std::int64_t fullPlace = std::clamp<std::int64_t>(place, -kFar, kFar);
    if (exponentTaken_) {
        scale += exponentNegative_ ? -exponent_ : exponent_;
        fullPlace += exponentNegative_ ? -fullExponent_ : fullExponent_;
    }
    // Far beyond the range of a double either way, a place reads as well as any further one.
    fullPlace = std::clamp<std::int64_t>(fullPlace, -100'000, 100'000);
    NumberChars chars;
    if (negative_) chars.push('-');
    chars.push('0');
    chars.push('.');
    for (const char c : digits_) chars.push(c);
    // A digit after the kept ones moves the value off any halfway point, as the dropped ones do.
    if (nonZeroDropped_) chars.push('1');
    chars.push('e');
    char exponent[24];
    const auto written = std::to_chars(exponent, exponent + sizeof exponent, fullPlace);
    for (const char* c = exponent; c != written.ptr; ++c) chars.push(*c);
    return Convert(chars, negative_, scale);
}

std::string NumberText(double value) {
    if (value == 0) return "0";  // also negative zero
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    std::string text(buffer, result.ptr);
    for (char& c : text)
        if (c == 'e') c = 'E';
    return text;
}

std::string NumberToText(double value, std::string_view decimalMark) {
    std::string text = NumberText(value);
    double back = 0;
    if (std::from_chars(text.data(), text.data() + text.size(), back).ec ==
        std::errc::result_out_of_range) {
        // Only the largest doubles get here: 17 digits are exact enough to cut to 15.
        char buffer[64];
        const auto result =
            std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 16);
        const std::string_view full(buffer, result.ptr);  // "-1.7976931348623157e+308"
        const std::size_t e = full.find('e');
        std::string mantissa(full.substr(0, e - 2));
        while (mantissa.back() == '0') mantissa.pop_back();
        if (mantissa.back() == '.') mantissa.pop_back();
        text = mantissa + "E" + std::string(full.substr(e + 1));
    }
    if (decimalMark != ".") {
        const std::size_t point = text.find('.');
        if (point != std::string::npos) text.replace(point, 1, decimalMark);
    }
    return text;
}

double TextToNumber(std::string_view text, std::string_view decimalMark) {
    std::string marked;
    if (decimalMark != "." && !decimalMark.empty()) {
        // Written with the user's mark: a "." is no decimal point there.
        if (text.find('.') != std::string_view::npos) throw RuntimeError(kTypeMismatch);
        marked.assign(text);
        const std::size_t mark = marked.find(decimalMark);
        if (mark != std::string::npos) marked.replace(mark, decimalMark.size(), ".");
        text = marked;
    }
    const std::string_view t = Trim(text);
    // sign? digits* (. digits*)? with at least one digit, then (E sign? digits+)?
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < t.size() && IsDigit(t[i])) ++i, ++digits;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && IsDigit(t[i])) ++i, ++digits;
    }
    if (digits == 0) throw RuntimeError(kTypeMismatch);
    if (i < t.size() && IsExponentMark(t[i])) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
        std::size_t expDigits = 0;
        while (i < t.size() && IsDigit(t[i])) ++i, ++expDigits;
        if (expDigits == 0) throw RuntimeError(kTypeMismatch);
    }
    if (i != t.size()) throw RuntimeError(kTypeMismatch);
    return NumericPrefix(t);
}

}  // namespace rt
