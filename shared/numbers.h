#pragma once
// Numbers read from text and written as text.

#include <string>
#include <string_view>

namespace rt {

// The value of the leading number of a text. Blanks, tabs and line feeds are skipped at the
// start and inside the number ("1 000" reads 1000); then an optional sign, digits with at most
// one "." as decimal point, and an optional exponent (E, e, D or d) with its own sign. Whatever
// follows is ignored; a text that does not begin with a number reads 0. A number too large for
// a double throws error 6. The value is correctly rounded.
double NumericPrefix(std::string_view text);

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
