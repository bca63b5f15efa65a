#pragma once

#include <cstdint>
#include <functional>

namespace kit {

// A process identifier as a type of its own, so it cannot be mixed up with other integers.
struct ZvProcessID {
  using RawValue = int32_t;
  RawValue rawValue = 0;

  constexpr explicit ZvProcessID(RawValue value) : rawValue(value) {}
  constexpr ZvProcessID id() const { return *this; }
  friend constexpr bool operator==(ZvProcessID, ZvProcessID) = default;
};

}  // namespace kit

template <>
struct std::hash<kit::ZvProcessID> {
  size_t operator()(kit::ZvProcessID pid) const noexcept { return std::hash<int32_t>()(pid.rawValue); }
};
