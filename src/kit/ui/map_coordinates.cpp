#include "kit/ui/map_coordinates.h"

#include <charconv>
#include <cmath>

namespace kit {

namespace {

constexpr double earthMeanRadius = 6371008.8;  // metres

// The shortest text that reads back as the same double, with ".0" after a whole number.
std::string decimalText(double value) {
  char buffer[32];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  std::string text(buffer, error == std::errc() ? end : buffer);
  if (std::isfinite(value) && text.find_first_of(".e") == std::string::npos) text += ".0";
  return text;
}

double radians(double degrees) { return degrees * M_PI / 180.0; }

}  // namespace

std::string Coordinate2D::id() const { return decimalText(latitude) + "-" + decimalText(longitude); }

double Coordinate2D::distance(const Coordinate2D& other) const {
  const double dLatitude = radians(other.latitude - latitude), dLongitude = radians(other.longitude - longitude);
  const double a = std::sin(dLatitude / 2) * std::sin(dLatitude / 2) +
                   std::cos(radians(latitude)) * std::cos(radians(other.latitude)) * std::sin(dLongitude / 2) *
                       std::sin(dLongitude / 2);
  return 2 * earthMeanRadius * std::asin(std::min(1.0, std::sqrt(a)));
}

}  // namespace kit
