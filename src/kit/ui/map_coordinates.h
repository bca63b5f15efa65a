#pragma once

#include <string>

namespace kit {

// A place on Earth in degrees.
struct Coordinate2D {
  double latitude = 0;
  double longitude = 0;
  bool operator==(const Coordinate2D&) const = default;

  // The latitude and the longitude in their shortest decimal form, joined by a hyphen: "1.5-2.0" (a negative
  // longitude gives two hyphens in a row).
  std::string id() const;
  // The great-circle distance in metres, on a sphere of the Earth's mean radius.
  double distance(const Coordinate2D& other) const;
};

// The extent of a map region in degrees.
struct CoordinateSpan {
  double latitudeDelta = 0;
  double longitudeDelta = 0;
  bool operator==(const CoordinateSpan&) const = default;
};

}  // namespace kit
