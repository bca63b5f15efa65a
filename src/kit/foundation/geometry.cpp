#include "kit/foundation/geometry.h"

#include <charconv>
#include <cmath>

namespace kit {
namespace {

std::string side(double value) {
  char buffer[64];
  if (std::isfinite(value) && value == std::trunc(value)) {
    std::snprintf(buffer, sizeof buffer, "%.0f", value);
    return buffer;
  }
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

}  // namespace

std::string formattedDescription(const QSizeF& size) { return side(size.width()) + "\u00d7" + side(size.height()); }

}  // namespace kit
