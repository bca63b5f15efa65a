#include "kit/app/duration_formatter.h"

#include <cmath>
#include <cstdint>

namespace kit {

std::optional<std::string> DurationFormatter::string(double seconds) const {
  // 2^63 seconds: the first span a 64-bit count does not hold.
  if (!std::isfinite(seconds) || std::fabs(seconds) >= 9223372036854775808.0) return std::nullopt;
  const auto whole = static_cast<int64_t>(seconds);
  // The magnitude, unsigned, so that the smallest count has one too.
  const uint64_t total = whole < 0 ? 0 - static_cast<uint64_t>(whole) : static_cast<uint64_t>(whole);
  const uint64_t days = total / 86400, hours = total / 3600 % 24, minutes = total / 60 % 60, rest = total % 60;
  std::string text = whole < 0 ? "-" : "";
  if (days) text += std::to_string(days) + "d ";
  if (days || hours) text += std::to_string(hours) + "h ";
  if (days || hours || minutes) text += std::to_string(minutes) + "m ";
  return text + std::to_string(rest) + "s";
}

namespace ZvApp {

const DurationFormatter& durationFormatter() {
  static const DurationFormatter formatter;
  return formatter;
}

}  // namespace ZvApp

}  // namespace kit
