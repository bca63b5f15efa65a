#include "platform/core/decimal_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <limits>

namespace platform {

std::string decimalText(double value, int fractionDigits) {
  char buffer[400];  // the longest double in fixed notation, with room for the digits asked for
  fractionDigits = std::clamp(fractionDigits, 0, 64);
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, fractionDigits);
  return std::string(buffer, result.ptr);
}

namespace {

template <class Real>
std::string shortestText(Real value) {
  // Beyond this every whole number is held exactly, and a long run of zeros says nothing more than an exponent.
  constexpr Real lastExactWhole = static_cast<Real>(1ULL << std::numeric_limits<Real>::digits);
  const Real magnitude = std::fabs(value);
  const bool writtenOut = magnitude == 0 || (magnitude >= static_cast<Real>(0.0001) && magnitude <= lastExactWhole);
  char buffer[64];  // the longest form is about 25 characters: "-0.00012345678901234567", "-1.2345678901234567e-308"
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                              writtenOut ? std::chars_format::fixed : std::chars_format::scientific);
  std::string text(buffer, result.ptr);
  if (std::isfinite(value) && text.find_first_of(".e") == std::string::npos) text += ".0";
  return text;
}

}  // namespace

std::string decimalText(double value) { return shortestText(value); }
std::string decimalText(float value) { return shortestText(value); }

double widenedAsWritten(float value) {
  char text[32];
  const auto written = std::to_chars(std::begin(text), std::end(text), value);
  double result = value;
  std::from_chars(std::begin(text), written.ptr, result);
  return result;
}

}  // namespace platform
