#pragma once

#include <string>

namespace platform {

// `value` in fixed notation with `fractionDigits` digits after a point ("1.5"), rounded to nearest. Always a
// point and never a grouping mark: the process locale, which the toolkit sets from the user's, plays no part.
std::string decimalText(double value, int fractionDigits);
// The shortest text that reads back as the same number, with ".0" after a whole number: "0.1", "2.0", "100000.0",
// "-inf", "nan". Numbers from 0.0001 up to the last of the run of exactly held whole numbers (2^53 for a double,
// 2^24 for a float) are written out; smaller and larger ones take an exponent: "1e-05", "1e+16". Locale-free as
// well.
std::string decimalText(double value);
std::string decimalText(float value);
// The double of a float's shortest text: 0.1f widens to 0.1, not to the 0.10000000149011612 it holds exactly.
double widenedAsWritten(float value);

}  // namespace platform
