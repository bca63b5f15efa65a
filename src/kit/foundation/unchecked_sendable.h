#pragma once

#include <functional>

#include "kit/foundation/hashing.h"
#include "kit/foundation/json_coding.h"

namespace kit {

// A value marked as safe to hand between threads and tasks: it adds no lock, the holder takes responsibility for
// its thread safety. Equality, hashing and coding are the value's own; the wrapper leaves no trace in the coded form
// (the bare value and the value's own form are one here: a type has one JSON form).
template <class Value>
struct UncheckedSendable {
  using RawValue = Value;
  static constexpr bool codesAsSingleValue = true;

  Value value;
  const Value& rawValue() const { return value; }
  friend bool operator==(const UncheckedSendable&, const UncheckedSendable&) = default;
};

}  // namespace kit

template <kit::Hashable Value>
struct std::hash<kit::UncheckedSendable<Value>> {
  std::size_t operator()(const kit::UncheckedSendable<Value>& wrapper) const {
    return std::hash<Value>()(wrapper.value);
  }
};
