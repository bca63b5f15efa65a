#include "platform/core/decimal_text.h"

#include <algorithm>
#include <charconv>

namespace platform {

std::string decimalText(double value, int fractionDigits) {
  char buffer[400];  // the longest double in fixed notation, with room for the digits asked for
  fractionDigits = std::clamp(fractionDigits, 0, 64);
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, fractionDigits);
  return std::string(buffer, result.ptr);
}

}  // namespace platform
