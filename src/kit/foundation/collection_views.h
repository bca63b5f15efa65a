#pragma once

#include <cstddef>
#include <iterator>
#include <optional>
#include <ranges>
#include <unordered_map>
#include <utility>
#include <vector>

#include "kit/foundation/fatal_error.h"
#include "kit/foundation/sequence_utilities.h"

namespace kit {

// One value per case of an enumeration, visited in the order of `allCases` minus the left-out cases.
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
  std::size_t size() const { return cases_.size(); }
  std::pair<Key, const Value&> at(std::size_t position) const {
    precondition(position < cases_.size(), "Index out of range");
    return {cases_[position], (*this)[cases_[position]]};
  }
  std::vector<std::pair<Key, Value>> pairs() const {
    std::vector<std::pair<Key, Value>> all;
    for (std::size_t i = 0; i < cases_.size(); ++i) all.emplace_back(cases_[i], (*this)[cases_[i]]);
    return all;
  }

 private:
  std::vector<Key> cases_;
  std::unordered_map<Key, Value, Hash> storage_;
};

// A random-access range seen as (position, element) pairs; positions count from `startIndex`. A temporary range
// is kept by the view; a named one is referred to, as by any view.
template <std::ranges::view View>
class IndexedCollection {
 public:
  template <std::ranges::viewable_range Range>
  explicit IndexedCollection(Range&& base, std::ptrdiff_t startIndex = 0)
      : base_(std::views::all(std::forward<Range>(base))), start_(startIndex) {}

  class iterator {
   public:
    using BaseIterator = std::ranges::iterator_t<const View>;
    using value_type = std::pair<std::ptrdiff_t, std::ranges::range_reference_t<const View>>;
    iterator(BaseIterator it, std::ptrdiff_t index) : it_(it), index_(index) {}
    value_type operator*() const { return {index_, *it_}; }
    iterator& operator++() {
      ++it_;
      ++index_;
      return *this;
    }
    friend bool operator==(const iterator& a, const iterator& b) { return a.it_ == b.it_; }

   private:
    BaseIterator it_;
    std::ptrdiff_t index_;
  };
  iterator begin() const { return {std::ranges::begin(base_), start_}; }
  iterator end() const {
    return {std::ranges::end(base_), start_ + static_cast<std::ptrdiff_t>(std::ranges::distance(base_))};
  }

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

// A sequence seen as (previous, current, next) windows, read one element ahead; each element is read once.
template <class Range>
class NeighborSequence {
 public:
  using BaseIterator = decltype(std::begin(std::declval<Range&>()));
  using Element = std::decay_t<decltype(*std::declval<BaseIterator>())>;

  explicit NeighborSequence(Range& base) : base_(base) {}

  class iterator {
   public:
    iterator() = default;
    iterator(BaseIterator it, BaseIterator end) : it_(it), end_(end) {
      if (it_ != end_) {
        current_ = *it_;
        ++it_;
        readNext();
      }
    }
    Neighbors<Element> operator*() const { return {previous_, *current_, next_}; }
    iterator& operator++() {
      previous_ = std::move(current_);
      current_ = std::move(next_);
      next_.reset();
      if (current_) readNext();
      return *this;
    }
    bool atEnd() const { return !current_; }
    friend bool operator==(const iterator& a, const iterator& b) { return a.atEnd() && b.atEnd(); }

   private:
    void readNext() {
      if (it_ != end_) {
        next_ = *it_;
        ++it_;
      }
    }
    BaseIterator it_{}, end_{};
    std::optional<Element> previous_, current_, next_;
  };

  iterator begin() const { return iterator(std::begin(base_), std::end(base_)); }
  iterator end() const { return iterator(); }

 private:
  Range& base_;
};

}  // namespace kit
