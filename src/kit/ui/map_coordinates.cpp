#include "kit/ui/map_coordinates.h"

#include <cmath>

#include "platform/core/decimal_text.h"

namespace kit {

namespace {

constexpr double earthMeanRadius = 6371008.8;  // metres

double radians(double degrees) { return degrees * M_PI / 180.0; }

}  // namespace

std::string Coordinate2D::id() const {
  return platform::decimalText(latitude) + "-" + platform::decimalText(longitude);
}

double Coordinate2D::distance(const Coordinate2D& other) const {
  const double dLatitude = radians(other.latitude - latitude), dLongitude = radians(other.longitude - longitude);
  const double a = std::sin(dLatitude / 2) * std::sin(dLatitude / 2) +
                   std::cos(radians(latitude)) * std::cos(radians(other.latitude)) * std::sin(dLongitude / 2) *
                       std::sin(dLongitude / 2);
  return 2 * earthMeanRadius * std::asin(std::min(1.0, std::sqrt(a)));
}

}  // namespace kit
