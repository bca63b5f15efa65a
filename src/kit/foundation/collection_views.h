#pragma once

#include <cstddef>
#include <iterator>
#include <optional>
#include <ranges>
#include <unordered_map>
#include <utility>
#include <vector>

#include "kit/foundation/fatal_error.h"
#include "kit/foundation/position_iterator.h"
#include "kit/foundation/sequence_utilities.h"

namespace kit {

// One value per case of an enumeration, visited in the order of `allCases` minus the left-out cases; an element is
// the pair (case, value), so that `for (auto [key, value] : map)` walks them.
template <class Key, class Value, class Hash = std::hash<Key>>
class EnumCaseMap {
 public:
  EnumCaseMap(const std::vector<Key>& allCases, std::unordered_map<Key, Value, Hash> values,
              const std::vector<Key>& leftOut = {})
      : cases_(excluding(allCases, leftOut)), storage_(std::move(values)) {}

  // A case without a value is a programmer error.
  const Value& operator[](const Key& key) const {
    auto it = storage_.find(key);
    precondition(it != storage_.end(), "EnumCaseMap has no value for this case");
    return it->second;
  }
  // Stores a value; the visited cases stay as they are.
  void set(const Key& key, Value value) { storage_.insert_or_assign(key, std::move(value)); }

  // Every stored value, in the storage's own order.
  std::vector<Value> values() const {
    std::vector<Value> all;
    for (const auto& [key, value] : storage_) all.push_back(value);
    return all;
  }

  std::pair<Key, const Value&> at(std::size_t position) const {
    precondition(position < cases_.size(), "Index out of range");
    return {cases_[position], (*this)[cases_[position]]};
  }
  std::size_t size() const { return cases_.size(); }
  bool empty() const { return cases_.empty(); }
  PositionIterator<EnumCaseMap> begin() const { return {this, 0}; }
  PositionIterator<EnumCaseMap> end() const { return {this, static_cast<std::ptrdiff_t>(cases_.size())}; }

 private:
  std::vector<Key> cases_;
  std::unordered_map<Key, Value, Hash> storage_;
};

// A random-access range seen as (position, element) pairs. Positions count from `startIndex`, so that a part of a
// collection keeps the positions it has there. A temporary range is kept by the view; a named one is referred to,
// as by any view.
template <std::ranges::view View>
requires std::ranges::random_access_range<const View> && std::ranges::sized_range<const View>
class IndexedCollection : public std::ranges::view_interface<IndexedCollection<View>> {
 public:
  using Element = std::pair<std::ptrdiff_t, std::ranges::range_reference_t<const View>>;

  explicit IndexedCollection(View base, std::ptrdiff_t startIndex = 0) : base_(std::move(base)), start_(startIndex) {}

  // The element at a position from startIndex on; outside the positions the program stops.
  Element at(std::ptrdiff_t position) const {
    precondition(position >= start_ && position < endIndex(), "Index out of range");
    return {position, std::ranges::begin(base_)[position - start_]};
  }
  Element operator[](std::ptrdiff_t position) const { return at(position); }

  std::ptrdiff_t startIndex() const { return start_; }
  std::ptrdiff_t endIndex() const { return start_ + static_cast<std::ptrdiff_t>(size()); }
  std::size_t size() const { return std::ranges::size(base_); }
  bool empty() const { return size() == 0; }
  PositionIterator<IndexedCollection> begin() const { return {this, start_}; }
  PositionIterator<IndexedCollection> end() const { return {this, endIndex()}; }

 private:
  View base_;
  std::ptrdiff_t start_;
};

template <class Range>
IndexedCollection(Range&&, std::ptrdiff_t = 0) -> IndexedCollection<std::views::all_t<Range>>;

template <class T>
struct Neighbors {
  std::optional<T> previous;
  T current;
  std::optional<T> next;
  friend bool operator==(const Neighbors&, const Neighbors&) = default;
};

// A sequence seen as (previous, current, next) windows. Nothing is read before an iterator is made; the iterator
// reads one element ahead of the one it yields, and each element once.
template <std::ranges::view View>
requires std::ranges::input_range<View>
class NeighborSequence : public std::ranges::view_interface<NeighborSequence<View>> {
 public:
  using Element = std::ranges::range_value_t<View>;

  explicit NeighborSequence(View base) : base_(std::move(base)) {}

  template <bool isConst>
  class Iterator {
    using Base = std::conditional_t<isConst, const View, View>;

   public:
    using value_type = Neighbors<Element>;
    using difference_type = std::ptrdiff_t;
    using iterator_category = std::input_iterator_tag;

    Iterator() = default;
    explicit Iterator(Base& base) : it_(std::ranges::begin(base)), end_(std::ranges::end(base)) {
      current_ = readNext();
      next_ = readNext();
    }
    value_type operator*() const { return {previous_, *current_, next_}; }
    Iterator& operator++() {
      previous_ = std::move(current_);
      current_ = std::move(next_);
      next_ = current_ ? readNext() : std::nullopt;
      return *this;
    }
    void operator++(int) { ++*this; }
    friend bool operator==(const Iterator& it, std::default_sentinel_t) { return !it.current_; }

   private:
    std::optional<Element> readNext() {
      if (it_ == end_) return std::nullopt;
      std::optional<Element> element(*it_);
      ++it_;
      return element;
    }
    std::ranges::iterator_t<Base> it_{};
    std::ranges::sentinel_t<Base> end_{};
    std::optional<Element> previous_, current_, next_;
  };

  Iterator<false> begin() { return Iterator<false>(base_); }
  Iterator<true> begin() const requires std::ranges::input_range<const View> { return Iterator<true>(base_); }
  std::default_sentinel_t end() const { return {}; }

 private:
  View base_;
};

template <class Range>
NeighborSequence(Range&&) -> NeighborSequence<std::views::all_t<Range>>;

}  // namespace kit
