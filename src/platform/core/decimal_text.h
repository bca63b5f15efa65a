#pragma once

#include <string>

namespace platform {

// `value` in fixed notation with `fractionDigits` digits after a point ("1.5"), rounded to nearest. Always a
// point and never a grouping mark: the process locale, which the toolkit sets from the user's, plays no part.
std::string decimalText(double value, int fractionDigits);
// The shortest text that reads back as the same double, with ".0" after a whole number: "0.1", "2.0", "1e+20",
// "-inf", "nan". Locale-free as well.
std::string decimalText(double value);

}  // namespace platform
