#pragma once

#include <concepts>
#include <cstddef>
#include <functional>

#include "platform/core/hash_combine.h"

namespace kit {

using platform::hashCombine;

// Values that compare with == and have a std::hash that agrees with it.
template <class T>
concept Hashable = std::equality_comparable<T> && requires(const T& value) {
  { std::hash<T>{}(value) } -> std::convertible_to<std::size_t>;
};

}  // namespace kit
