#pragma once

// Types that have an empty value, made without arguments: 0 for numbers, "" for texts, no elements for
// collections, and the relative URL "." for a URL.

#include <concepts>

#include "platform/url/url.h"

namespace kit {

// How a type makes its empty value: T{} unless a specialisation says otherwise.
template <class T>
struct EmptyValue {
  static T make() requires std::default_initializable<T> { return T{}; }
};

template <>
struct EmptyValue<platform::Url> {
  static platform::Url make() { return *platform::Url::parse("."); }
};

template <class T>
concept EmptyInitializable = requires {
  { EmptyValue<T>::make() } -> std::same_as<T>;
};

template <EmptyInitializable T>
T emptyValue() {
  return EmptyValue<T>::make();
}

}  // namespace kit
