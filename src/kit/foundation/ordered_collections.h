#pragma once

#include <algorithm>
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "kit/foundation/fatal_error.h"
#include "kit/foundation/json_coding.h"
#include "kit/foundation/key_value_sequences.h"
#include "kit/foundation/keyed_subscript.h"
#include "kit/foundation/position_iterator.h"
#include "kit/foundation/textual_description.h"

namespace kit {

// A dictionary that remembers the order in which its keys were first stored. Replacing a value keeps the key's
// place; removing a key and storing it again moves it to the end.
template <class Key, class Value, class Hash = std::hash<Key>>
class OrderedDictionary {
 public:
  using value_type = std::pair<Key, Value>;

  OrderedDictionary() = default;
  // A literal: repeating a key is a programmer error.
  OrderedDictionary(std::initializer_list<value_type> literal) {
    for (const auto& [key, value] : literal) {
      precondition(!values_.contains(key), "OrderedDictionary literal contains duplicate keys");
      set(key, value);
    }
  }
  // Pairs stored in turn: a repeated key keeps its first place and its last value.
  static OrderedDictionary fromPairs(const std::vector<value_type>& pairs) {
    OrderedDictionary result;
    for (const auto& [key, value] : pairs) result.set(key, value);
    return result;
  }

  // The value for a key, or none. On a dictionary that is not const, assigning to it stores the value (none
  // removes the key): `dictionary["a"] = 1`. On a const one the result is const, so such an assignment, which could
  // store nothing, does not compile.
  const std::optional<Value> operator[](const Key& key) const {
    auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    return it->second;
  }
  KeyedSubscript<OrderedDictionary, Key, Value> operator[](const Key& key) {
    return {*this, key, std::as_const(*this)[key]};
  }
  const Value* find(const Key& key) const {
    auto it = values_.find(key);
    return it == values_.end() ? nullptr : &it->second;
  }
  bool contains(const Key& key) const { return values_.contains(key); }

  // Stores, replaces, or (with none) removes.
  void set(const Key& key, std::optional<Value> value) {
    if (!value) {
      auto it = std::find(keys_.begin(), keys_.end(), key);
      if (it != keys_.end()) keys_.erase(it);
      values_.erase(key);
      return;
    }
    if (!values_.contains(key)) keys_.push_back(key);
    values_.insert_or_assign(key, std::move(*value));
  }
  void remove(const Key& key) { set(key, std::nullopt); }

  std::size_t size() const { return keys_.size(); }
  bool empty() const { return keys_.empty(); }
  const std::vector<Key>& keys() const { return keys_; }

  // The pair at a position; outside 0..<size the program stops.
  std::pair<const Key&, const Value&> at(std::size_t position) const {
    precondition(position < keys_.size(), "Index out of range");
    const Key& key = keys_[position];
    auto it = values_.find(key);
    precondition(it != values_.end(), "OrderedDictionary lost a value");
    return {key, it->second};
  }
  // The pairs at positions [from, to), as a dictionary of their own.
  OrderedDictionary slice(std::size_t from, std::size_t to) const {
    precondition(from <= to && to <= keys_.size(), "Range out of bounds");
    OrderedDictionary result;
    for (std::size_t i = from; i < to; ++i) result.set(keys_[i], at(i).second);
    return result;
  }

  using const_iterator = PositionIterator<OrderedDictionary>;
  using iterator = const_iterator;
  const_iterator begin() const { return {this, 0}; }
  const_iterator end() const { return {this, static_cast<std::ptrdiff_t>(keys_.size())}; }

  // Order matters: the same pairs in another order are a different dictionary.
  friend bool operator==(const OrderedDictionary& a, const OrderedDictionary& b) {
    return a.keys_ == b.keys_ && a.values_ == b.values_;
  }

 private:
  std::vector<Key> keys_;
  std::unordered_map<Key, Value, Hash> values_;
};

// A set that keeps the order in which its members first arrived.
template <class Element, class Hash = std::hash<Element>>
class OrderedSet {
 public:
  OrderedSet() = default;
  OrderedSet(std::initializer_list<Element> elements) : OrderedSet(std::vector<Element>(elements)) {}
  explicit OrderedSet(const std::vector<Element>& elements) {
    for (const auto& element : elements) insert(element);
  }

  // True when the element was new; a member keeps its place.
  bool insert(const Element& element) {
    if (!set_.insert(element).second) return false;
    array_.push_back(element);
    return true;
  }
  std::optional<Element> remove(const Element& element) {
    auto it = set_.find(element);
    if (it == set_.end()) return std::nullopt;
    Element stored = *it;
    set_.erase(it);
    array_.erase(std::find(array_.begin(), array_.end(), stored));
    return stored;
  }
  Element removeFirst() {
    precondition(!array_.empty(), "Can't remove first element from an empty collection");
    Element first = array_.front();
    array_.erase(array_.begin());
    set_.erase(first);
    return first;
  }
  Element removeLast() {
    precondition(!array_.empty(), "Can't remove last element from an empty collection");
    Element last = array_.back();
    array_.pop_back();
    set_.erase(last);
    return last;
  }
  // Empties the set; with `keepingCapacity` its storage stays allocated for as many members again.
  void removeAll(bool keepingCapacity = false) {
    if (keepingCapacity) {
      array_.clear();
      set_.clear();
    } else {
      array_ = {};
      set_ = {};
    }
  }

  bool contains(const Element& element) const { return set_.contains(element); }
  const std::vector<Element>& elements() const { return array_; }
  const Element& operator[](std::size_t position) const {
    precondition(position < array_.size(), "Index out of range");
    return array_[position];
  }
  std::size_t size() const { return array_.size(); }
  bool empty() const { return array_.empty(); }
  auto begin() const { return array_.begin(); }
  auto end() const { return array_.end(); }

  friend bool operator==(const OrderedSet& a, const OrderedSet& b) { return a.array_ == b.array_; }

 private:
  std::vector<Element> array_;
  std::unordered_set<Element, Hash> set_;
};

namespace detail {

// A value that can be taken as a text between double quotes (inner quotes not escaped), any other in its standard
// textual form.
template <class T>
void appendQuotedIfText(std::string& out, const T& value) {
  if (auto text = asText(value)) {
    out += '"';
    out += *text;
    out += '"';
  } else {
    appendDescribing(out, value);
  }
}

}  // namespace detail

// ["a": 1, "b": "x"], or [:] when empty.
template <class Key, class Value, class Hash>
requires Describable<Key> && Describable<Value> std::string description(
    const OrderedDictionary<Key, Value, Hash>& dictionary) {
  if (dictionary.empty()) return "[:]";
  std::string out = "[";
  for (const auto& [key, value] : dictionary) {
    if (out.size() > 1) out += ", ";
    detail::appendQuotedIfText(out, key);
    out += ": ";
    detail::appendQuotedIfText(out, value);
  }
  out += ']';
  return out;
}

// "key: value" lines joined by "\n", each side in its standard textual form (texts without quotes), in the
// sequence's order.
template <KeyValueSequence Pairs>
std::string keyValueLines(const Pairs& pairs) {
  std::string out;
  bool first = true;
  for (const auto& [key, value] : pairs) {
    if (!first) out += '\n';
    first = false;
    appendDescribing(out, key);
    out += ": ";
    appendDescribing(out, value);
  }
  return out;
}

}  // namespace kit

template <class Key, class Value, class Hash>
struct std::hash<kit::OrderedDictionary<Key, Value, Hash>> {
  size_t operator()(const kit::OrderedDictionary<Key, Value, Hash>& dictionary) const {
    size_t seed = dictionary.size();
    size_t unordered = 0;
    for (const auto& [key, value] : dictionary) {
      kit::hashCombine(seed, Hash()(key));
      // The values as an unordered dictionary: independent of order.
      size_t pair = Hash()(key);
      kit::hashCombine(pair, std::hash<Value>()(value));
      unordered += pair;
    }
    kit::hashCombine(seed, unordered);
    return seed;
  }
};
