#pragma once

#include <string>

namespace platform {

// `value` in fixed notation with `fractionDigits` digits after a point ("1.5"), rounded to nearest. Always a
// point and never a grouping mark: the process locale, which the toolkit sets from the user's, plays no part.
std::string decimalText(double value, int fractionDigits);

}  // namespace platform
