#pragma once

#include <string>

namespace platform {

// A unit of one physical dimension: one of it is `coefficient` base units of that dimension.
template <class Tag>
struct Dimension {
  std::string symbol;
  double coefficient = 1;

  friend bool operator==(const Dimension&, const Dimension&) = default;
};

struct DurationTag {};
// Units of time; the base unit is the second.
struct UnitDuration : Dimension<DurationTag> {
  static UnitDuration baseUnit() { return seconds(); }
  static UnitDuration seconds() { return {{"s", 1}}; }
  static UnitDuration milliseconds() { return {{"ms", 0.001}}; }
  static UnitDuration minutes() { return {{"min", 60}}; }
  static UnitDuration hours() { return {{"hr", 3600}}; }
};

// A value in a unit. Measurements of one dimension add, subtract and compare across units: the same unit keeps
// it, different units meet in the base unit.
template <class Unit>
struct Measurement {
  double value = 0;
  Unit unit = Unit::baseUnit();

  // Zero in the dimension's base unit, whatever unit the values it is added to have.
  static Measurement zero() { return {0, Unit::baseUnit()}; }

  Measurement converted(const Unit& other) const { return {value * unit.coefficient / other.coefficient, other}; }
  double baseValue() const { return value * unit.coefficient; }

  friend Measurement operator+(const Measurement& a, const Measurement& b) {
    if (a.unit == b.unit) return {a.value + b.value, a.unit};
    return {a.baseValue() + b.baseValue(), Unit::baseUnit()};
  }
  friend Measurement operator-(const Measurement& a, const Measurement& b) {
    if (a.unit == b.unit) return {a.value - b.value, a.unit};
    return {a.baseValue() - b.baseValue(), Unit::baseUnit()};
  }
  Measurement& operator+=(const Measurement& other) { return *this = *this + other; }
  Measurement& operator-=(const Measurement& other) { return *this = *this - other; }
  friend bool operator==(const Measurement& a, const Measurement& b) {
    return a.unit == b.unit ? a.value == b.value : a.baseValue() == b.baseValue();
  }
};

}  // namespace platform
