// The numeric prefix: any text gives the same double, bit for bit, as a slow reference reader
// built on strtod, or the same overflow. The text is copied to a buffer of its exact size so
// that a read past its end is caught.
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "numbers.h"
#include "runtime_error.h"

namespace {

bool Skipped(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}
bool Digit(char c) {
    return c >= '0' && c <= '9';
}

// Drops the skipped characters of the number as it goes, one character at a time; nullopt for
// overflow.
std::optional<double> Reference(const std::string& text) {
    std::size_t i = 0;
    std::string number;
    auto skip = [&] {
        while (i < text.size() && Skipped(text[i])) ++i;
    };
    skip();
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) number += text[i++];
    bool point = false, digits = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (Digit(c)) {
            number += c;
            digits = true;
        } else if (c == '.' && !point) {
            number += c;
            point = true;
        } else if (!Skipped(c)) {
            break;
        }
    }
    if (!digits) return 0.0;
    if (i < text.size() && std::strchr("eEdD", text[i]) && text[i] != '\0') {
        std::size_t j = i + 1;
        std::string exponent = "e";
        while (j < text.size() && Skipped(text[j])) ++j;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) exponent += text[j++];
        while (j < text.size() && Skipped(text[j])) ++j;
        if (j < text.size() && Digit(text[j])) {
            for (; j < text.size() && (Digit(text[j]) || Skipped(text[j])); ++j)
                if (Digit(text[j])) exponent += text[j];
            number += exponent;
        }
    }
    errno = 0;
    const double value = std::strtod(number.c_str(), nullptr);
    if (errno == ERANGE && std::isinf(value)) return std::nullopt;
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto exact = std::make_unique<char[]>(size);
    std::memcpy(exact.get(), data, size);
    const std::string_view text(exact.get(), size);
    const std::string copy(text);

    std::optional<double> got;
    try {
        got = rt::NumericPrefix(text);
    } catch (const rt::RuntimeError& e) {
        if (e.number() != 6) std::abort();
    }
    const std::optional<double> want = Reference(copy);
    if (got.has_value() != want.has_value()) std::abort();
    if (got && std::memcmp(&*got, &*want, sizeof(double)) != 0) std::abort();
    return 0;
}
