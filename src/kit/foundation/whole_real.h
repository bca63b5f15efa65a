#pragma once

#include <cmath>
#include <concepts>
#include <limits>
#include <type_traits>

namespace kit {

// Whether a real is a whole number that T holds. Two to the power of T's value bits is one past its largest value,
// and a real exactly.
template <std::integral T>
bool holdsWholeReal(double d) {
  const double end = std::ldexp(1.0, std::numeric_limits<T>::digits);
  return std::trunc(d) == d && d >= (std::is_signed_v<T> ? -end : 0.0) && d < end;
}

}  // namespace kit
