#include "platform/core/decimal_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace platform {

std::string decimalText(double value, int fractionDigits) {
  char buffer[400];  // the longest double in fixed notation, with room for the digits asked for
  fractionDigits = std::clamp(fractionDigits, 0, 64);
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, fractionDigits);
  return std::string(buffer, result.ptr);
}

std::string decimalText(double value) {
  char buffer[32];  // the longest shortest form, "-2.2250738585072014e-308", with room to spare
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  std::string text(buffer, result.ptr);
  if (std::isfinite(value) && text.find_first_of(".e") == std::string::npos) text += ".0";
  return text;
}

}  // namespace platform
