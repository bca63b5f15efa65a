#pragma once

#include <iterator>
#include <ranges>

namespace engine {

// A collection that is walked both ways, from either end.
template <class Collection>
concept BidirectionalCollection = std::ranges::bidirectional_range<Collection> && std::ranges::common_range<Collection>;

// One that also removes a run of its elements in place (std::string, std::vector, the characters of an attributed
// text).
template <class Collection>
concept BidirectionalRangeReplaceableCollection = BidirectionalCollection<Collection> &&
    requires(Collection& collection, std::ranges::iterator_t<Collection> at) {
  collection.erase(at, at);
};

// The trimming operations below take a predicate on one element. A predicate that throws ends the operation with its
// exception: trimSuffix and trimPrefix then leave the collection as it was, and trim keeps what its trimSuffix removed.

// Where the trailing run of elements for which `predicate` holds begins: from the end, step back while the element
// before holds.
template <BidirectionalCollection Collection, class Predicate>
std::ranges::iterator_t<Collection> startOfTrailingRun(Collection& collection, Predicate& predicate) {
  const auto start = std::ranges::begin(collection);
  auto at = std::ranges::end(collection);
  while (at != start) {
    const auto before = std::ranges::prev(at);
    if (!predicate(*before)) break;
    at = before;
  }
  return at;
}

// Removes the trailing run of elements for which `predicate` holds.
template <BidirectionalRangeReplaceableCollection Collection, class Predicate>
void trimSuffix(Collection& collection, Predicate predicate) {
  const auto start = startOfTrailingRun(collection, predicate);
  collection.erase(start, std::ranges::end(collection));
}

// The elements before the trailing run for which `predicate` holds; the collection stays as it is.
template <BidirectionalRangeReplaceableCollection Collection, class Predicate>
std::ranges::subrange<std::ranges::iterator_t<const Collection>> trimmingSuffix(const Collection& collection,
                                                                                Predicate predicate) {
  return {std::ranges::begin(collection), startOfTrailingRun(collection, predicate)};
}

// Removes the leading run of elements for which `predicate` holds.
template <BidirectionalRangeReplaceableCollection Collection, class Predicate>
void trimPrefix(Collection& collection, Predicate predicate) {
  auto end = std::ranges::begin(collection);
  const auto last = std::ranges::end(collection);
  while (end != last && predicate(*end)) ++end;
  collection.erase(std::ranges::begin(collection), end);
}

// trimSuffix, then trimPrefix.
template <BidirectionalRangeReplaceableCollection Collection, class Predicate>
void trim(Collection& collection, Predicate predicate) {
  trimSuffix(collection, predicate);
  trimPrefix(collection, predicate);
}

}  // namespace engine
