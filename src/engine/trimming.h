#pragma once

#include <algorithm>
#include <iterator>
#include <utility>

namespace engine {

// Trimming on any bidirectional, range-replaceable collection. The predicate may throw; the error passes on
// and the collection is left as it was.

// The end of the collection without its trailing run of elements that satisfy the predicate.
template <class Collection, class Predicate>
auto endOfTrimmedSuffix(const Collection& collection, Predicate&& predicate) {
  auto end = collection.end();
  while (end != collection.begin() && predicate(*std::prev(end))) --end;
  return end;
}

template <class Collection, class Predicate>
void trimSuffix(Collection& collection, Predicate&& predicate) {
  auto kept = std::distance(collection.cbegin(), endOfTrimmedSuffix(std::as_const(collection), predicate));
  collection.erase(std::next(collection.begin(), kept), collection.end());
}

// The collection before its trailing run; the collection itself is unchanged.
template <class Collection, class Predicate>
Collection trimmingSuffix(const Collection& collection, Predicate&& predicate) {
  return Collection(collection.begin(), endOfTrimmedSuffix(collection, predicate));
}

template <class Collection, class Predicate>
void trimPrefix(Collection& collection, Predicate&& predicate) {
  auto begin = std::find_if_not(collection.begin(), collection.end(), predicate);
  collection.erase(collection.begin(), begin);
}

template <class Collection, class Predicate>
void trim(Collection& collection, Predicate&& predicate) {
  trimSuffix(collection, predicate);
  trimPrefix(collection, predicate);
}

}  // namespace engine
