#pragma once

// The shapes of keyed collections that the kit's text builders take alike: anything iterated as (key, value)
// pairs, such as std::unordered_map, OrderedDictionary, AtomicDictionary or a list of pairs.

#include <ranges>
#include <tuple>
#include <type_traits>

#include "kit/foundation/hashing.h"

namespace kit {

// An element of two parts read with std::get: a std::pair, or a std::tuple of two.
template <class T>
concept KeyValuePair = requires {
  requires(std::tuple_size<T>::value == 2);
};

template <class S>
concept KeyValueSequence = std::ranges::input_range<const S> && KeyValuePair<std::ranges::range_value_t<const S>>;

template <KeyValueSequence S>
using KeyValueKey = std::remove_cvref_t<std::tuple_element_t<0, std::ranges::range_value_t<const S>>>;
template <KeyValueSequence S>
using KeyValueValue = std::remove_cvref_t<std::tuple_element_t<1, std::ranges::range_value_t<const S>>>;

// One that can be walked more than once, by positions.
template <class S>
concept KeyValueCollection = KeyValueSequence<S> && std::ranges::forward_range<const S>;

template <class S>
concept HashableKeyValueSequence = KeyValueSequence<S> && Hashable<KeyValueKey<S>>;

template <class S>
concept HashableKeyValueCollection = HashableKeyValueSequence<S> && KeyValueCollection<S>;

}  // namespace kit
