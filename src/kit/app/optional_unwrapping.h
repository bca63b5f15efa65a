#pragma once

#include <optional>
#include <utility>

namespace kit {

// The wrapped value, or else the error that `makeError` returns, thrown as it is (its own type, not a base).
// `makeError` is called only when there is no value.
template <class T, class MakeError>
T unwrapOrThrow(std::optional<T> value, MakeError&& makeError) {
  if (value) return std::move(*value);
  throw std::forward<MakeError>(makeError)();
}

}  // namespace kit
