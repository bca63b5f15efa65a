#pragma once

#include <functional>
#include <utility>

#include "kit/foundation/hashing.h"
#include "kit/foundation/json_coding.h"

namespace kit {

// A value marked as safe to hand between threads and tasks: it adds no lock, the holder takes responsibility for
// its thread safety. Equality, hashing and coding are the value's own; the wrapper leaves no trace in the coded form.
template <class Value>
struct UncheckedSendable {
  Value value;
  friend bool operator==(const UncheckedSendable&, const UncheckedSendable&) = default;
};

template <class Value>
void to_json(Json& json, const UncheckedSendable<Value>& wrapper) {
  json = encodeJson(wrapper.value);
}

// The bare value and the value type's own form are one here: a type's JSON decoding is its only form, so the
// value decodes as it would alone and its error is the caller's.
template <class Value>
struct JsonDecoding<UncheckedSendable<Value>> {
  static UncheckedSendable<Value> decode(const Json& json, const CodingPath& path) {
    return {decodeJson<Value>(json, path)};
  }
};

}  // namespace kit

template <kit::Hashable Value>
struct std::hash<kit::UncheckedSendable<Value>> {
  std::size_t operator()(const kit::UncheckedSendable<Value>& wrapper) const {
    return std::hash<Value>()(wrapper.value);
  }
};
