#pragma once

// Values that stand for a value of another type, their raw value.

#include <concepts>
#include <cstddef>
#include <functional>
#include <utility>

namespace kit {

// The raw value of a value that stands for one: its rawValue() where it has one, else its rawValue field.
template <class T>
decltype(auto) rawValueOf(const T& value) {
  if constexpr (requires { value.rawValue(); })
    return value.rawValue();
  else
    return (value.rawValue);
}

// A type that stands for a value of its RawValue type and is built from one.
template <class T>
concept RawRepresentable = requires(const T& value) {
  typename T::RawValue;
  { rawValueOf(value) } -> std::convertible_to<const typename T::RawValue&>;
}
&&std::constructible_from<T, typename T::RawValue>;

// Ordering, equality, hashing, coding (as the bare raw value) and construction from a string literal, all through
// the raw value, for a type that derives from this and keeps its raw value here:
//   struct Tag : kit::RawValueDefaults<Tag, std::string> { using RawValueDefaults::RawValueDefaults; };
template <class Self, class Raw>
struct RawValueDefaults {
  using RawValue = Raw;
  static constexpr bool codesAsSingleValue = true;

  RawValueDefaults() = default;
  RawValueDefaults(RawValue rawValue) : rawValue(std::move(rawValue)) {}  // NOLINT(google-explicit-constructor)
  RawValueDefaults(const char* literal) requires std::constructible_from<RawValue, const char*>  // NOLINT
      : rawValue(literal) {}

  RawValue rawValue;

  friend bool operator==(const Self& a, const Self& b) { return a.rawValue == b.rawValue; }
  friend bool operator<(const Self& a, const Self& b) { return a.rawValue < b.rawValue; }
  friend bool operator>(const Self& a, const Self& b) { return b < a; }
  friend bool operator<=(const Self& a, const Self& b) { return !(b < a); }
  friend bool operator>=(const Self& a, const Self& b) { return !(a < b); }
};

template <class T>
concept UsesRawValueDefaults = requires {
  typename T::RawValue;
}
&&std::derived_from<T, RawValueDefaults<T, typename T::RawValue>>;

}  // namespace kit

template <kit::UsesRawValueDefaults T>
struct std::hash<T> {
  std::size_t operator()(const T& value) const noexcept { return std::hash<typename T::RawValue>()(value.rawValue); }
};
