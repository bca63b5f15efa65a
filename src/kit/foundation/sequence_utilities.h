#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <concepts>
#include <functional>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "kit/foundation/fatal_error.h"
#include "platform/core/executor.h"
#include "platform/text/normalization.h"

namespace kit {

enum class SortOrder { forward, reverse };

// Sorted by a Boolean key: forward puts the elements whose key is true first. A throwing key ends the sort.
template <class Element, class Key>
std::vector<Element> sortedByFlag(std::vector<Element> elements, Key key, SortOrder order = SortOrder::forward) {
  std::stable_sort(elements.begin(), elements.end(), [&](const Element& a, const Element& b) {
    bool first = key(a), second = key(b);
    return order == SortOrder::forward ? (first && !second) : (!first && second);
  });
  return elements;
}

// The first present result of the transform, in order; later elements are not transformed.
template <class Range, class Transform>
auto firstNonNil(const Range& range, Transform transform) -> decltype(transform(*std::begin(range))) {
  for (const auto& element : range) {
    if (auto result = transform(element)) return result;
  }
  return std::nullopt;
}

// A uniformly chosen case; an empty case list is a programmer error.
template <class Case, std::size_t N, class Generator>
Case randomCase(const std::array<Case, N>& allCases, Generator& generator) {
  static_assert(N > 0, "An enumeration without cases has no random case");
  std::uniform_int_distribution<std::size_t> pick(0, N - 1);
  return allCases[pick(generator)];
}
template <class Case, std::size_t N>
Case randomCase(const std::array<Case, N>& allCases) {
  std::random_device device;
  std::mt19937_64 generator(device());
  return randomCase(allCases, generator);
}

// Values with a zero (T{}), addition and subtraction, compared with ==: numbers, std::chrono durations, ZvDuration,
// Bytes.
template <class T>
concept AdditiveArithmetic = std::default_initializable<T> && std::equality_comparable<T> &&
    requires(const T& a, const T& b) {
  { a + b } -> std::convertible_to<T>;
  { a - b } -> std::convertible_to<T>;
};

// Defaults for optional values.
template <class Collection>
bool isNilOrEmpty(const std::optional<Collection>& value) {
  return !value || std::empty(*value);
}
inline bool orFalse(const std::optional<bool>& value) { return value.value_or(false); }
template <AdditiveArithmetic T>
T orZero(const std::optional<T>& value) {
  return value.value_or(T{});
}
// The value, or the one made from an empty text literal (std::string, QString, a string_view...).
template <std::constructible_from<const char*> T>
T orEmpty(const std::optional<T>& value) {
  return value ? *value : T("");
}
// The value, or the fallback's result (computed only when needed).
template <class T, class Fallback>
T orElse(const std::optional<T>& value, Fallback fallback) {
  return value ? *value : T(fallback());
}
// None when the value equals zero (minus zero included).
template <AdditiveArithmetic T>
std::optional<T> nilIfZero(T value) {
  if (value == T{}) return std::nullopt;
  return value;
}

// Relative comparison of floats: the difference is below tolerance times the larger magnitude (at least the least
// normal one). NaN is never nearly equal; infinities compare through the greatest finite magnitude.
template <std::floating_point T>
bool isNearlyEqual(T self, T other, T tolerance) {
  if (std::isfinite(self) && std::isfinite(other)) {
    T scale = std::max({std::fabs(self), std::fabs(other), std::numeric_limits<T>::min()});
    return std::fabs(self - other) < scale * tolerance;
  }
  if (std::isnan(self) || std::isnan(other)) return false;
  if (!std::isinf(self)) return isNearlyEqual(other, self, tolerance);
  if (std::isinf(other)) return self == other;
  // Infinity stands for twice the largest exponent's power; halving both keeps the comparison finite.
  T scaledSelf = std::copysign(std::ldexp(T(1), std::numeric_limits<T>::max_exponent - 1), self);
  T halvedOther = other / 2;
  return isNearlyEqual(scaledSelf, halvedOther, tolerance);
}
template <std::floating_point T>
bool isNearlyZero(T value, T tolerance) {
  return std::fabs(value) < tolerance;
}

// True when an application in the list has this id, by Unicode canonical equivalence (letter case matters); entries
// without one never match.
template <class Applications>
bool containsApp(const Applications& applications, std::string_view bundleIdentifier) {
  return std::any_of(std::begin(applications), std::end(applications), [&](const auto& application) {
    return application.bundleIdentifier &&
           platform::isCanonicallyEquivalent(*application.bundleIdentifier, bundleIdentifier);
  });
}

// Calls the handler with the value now, then queues the follow-up on the main thread.
template <class Value, std::invocable<Value&> Handler>
void performThenAsyncOnMain(Value value, Handler&& handler, std::function<void()> followUp) {
  std::invoke(std::forward<Handler>(handler), value);
  platform::mainExecutor().post(std::move(followUp));
}

// The elements that `other` does not contain, in order.
template <class Range, class Other>
auto excluding(const Range& range, const Other& other) {
  std::vector<std::decay_t<decltype(*std::begin(range))>> kept;
  for (const auto& element : range) {
    if (std::find(std::begin(other), std::end(other), element) == std::end(other)) kept.push_back(element);
  }
  return kept;
}

// The elements without repeats: each keeps the place of its first occurrence. Needs only ==, so it is quadratic:
// for short lists.
template <class Element>
std::vector<Element> removingDuplicates(const std::vector<Element>& elements) {
  std::vector<Element> kept;
  for (const auto& element : elements) {
    if (std::find(kept.begin(), kept.end(), element) == kept.end()) kept.push_back(element);
  }
  return kept;
}

// The collection itself, or none when it is empty.
template <class Collection>
std::optional<Collection> nilIfEmpty(Collection collection) {
  if (std::empty(collection)) return std::nullopt;
  return collection;
}

// Two lists in the sequence's order: the elements for which the predicate answered false, then those for true.
template <class Range, class Predicate>
auto partitioned(const Range& range, Predicate predicate) {
  using Element = std::decay_t<decltype(*std::begin(range))>;
  std::pair<std::vector<Element>, std::vector<Element>> parts;
  for (const auto& element : range) (predicate(element) ? parts.second : parts.first).push_back(element);
  return parts;
}

// Less-than of sort keys, where a NaN goes after every number and ties with another NaN: plain < leaves NaN
// incomparable with everything, which is no strict weak order, and sorting with it scrambles the numbers too.
template <class T>
bool sortsBefore(const T& a, const T& b) {
  if constexpr (std::is_floating_point_v<T>) {
    if (std::isnan(a) || std::isnan(b)) return std::isnan(b) && !std::isnan(a);
  }
  return a < b;
}

// Sorting by projections ("key paths"): forward follows less-than of the projected values, reverse greater-than.
// A comparison that throws ends the sort and passes the error on.
template <class Element, class Projection>
void sortBy(std::vector<Element>& elements, Projection projection, SortOrder order = SortOrder::forward) {
  std::stable_sort(elements.begin(), elements.end(), [&](const Element& a, const Element& b) {
    return order == SortOrder::forward ? sortsBefore(std::invoke(projection, a), std::invoke(projection, b))
                                       : sortsBefore(std::invoke(projection, b), std::invoke(projection, a));
  });
}

template <class Element, class Projection>
std::vector<Element> sortedBy(std::vector<Element> elements, Projection projection,
                              SortOrder order = SortOrder::forward) {
  sortBy(elements, projection, order);
  return elements;
}

// The same, by the caller's order of the projected values (true when the first goes before the second).
template <class Element, class Projection, class AreInIncreasingOrder>
requires std::predicate<AreInIncreasingOrder&, std::invoke_result_t<Projection&, const Element&>,
                        std::invoke_result_t<Projection&, const Element&>>
    std::vector<Element> sortedBy(std::vector<Element> elements, Projection projection,
                                  AreInIncreasingOrder areInIncreasingOrder) {
  std::stable_sort(elements.begin(), elements.end(), [&](const Element& a, const Element& b) {
    return areInIncreasingOrder(std::invoke(projection, a), std::invoke(projection, b));
  });
  return elements;
}

// One comparison of a list: -1, 0 or 1 for two elements.
template <class Element>
using Comparison = std::function<int(const Element&, const Element&)>;

template <class Element, class Projection>
Comparison<Element> comparing(Projection projection, SortOrder order = SortOrder::forward) {
  return [projection, order](const Element& a, const Element& b) {
    const auto& first = std::invoke(projection, a);
    const auto& second = std::invoke(projection, b);
    int result = sortsBefore(first, second) ? -1 : (sortsBefore(second, first) ? 1 : 0);
    return order == SortOrder::forward ? result : -result;
  };
}

// Sorted by the comparisons in turn: the first that tells the elements apart decides.
template <class Element>
std::vector<Element> sortedBy(std::vector<Element> elements, const std::vector<Comparison<Element>>& comparisons) {
  std::stable_sort(elements.begin(), elements.end(), [&](const Element& a, const Element& b) {
    for (const auto& compare : comparisons) {
      if (int result = compare(a, b)) return result < 0;
    }
    return false;
  });
  return elements;
}

}  // namespace kit
