#pragma once

// A dictionary and a set that any thread may use. Each instance has its own readers-writer lock; snapshots
// (dictionary(), snapshot(), keys()) are copies, so later writes do not show in them. Iterating one walks a snapshot
// taken, under the read lock, when the iterator is made.

#include <cstddef>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "kit/foundation/keyed_subscript.h"
#include "kit/foundation/readers_writer_lock.h"
#include "kit/foundation/textual_description.h"

namespace kit {

// Walks a copy of a collection's contents; copies of the iterator share the copy. It ends at std::default_sentinel.
template <class Contents>
class SnapshotIterator {
 public:
  using value_type = typename Contents::value_type;
  using difference_type = std::ptrdiff_t;
  using iterator_category = std::input_iterator_tag;

  SnapshotIterator() = default;
  explicit SnapshotIterator(Contents contents)
      : contents_(std::make_shared<const Contents>(std::move(contents))), it_(contents_->begin()) {}

  const value_type& operator*() const { return *it_; }
  const value_type* operator->() const { return &*it_; }
  SnapshotIterator& operator++() {
    ++it_;
    return *this;
  }
  void operator++(int) { ++it_; }
  friend bool operator==(const SnapshotIterator& it, std::default_sentinel_t) {
    return !it.contents_ || it.it_ == it.contents_->end();
  }

 private:
  std::shared_ptr<const Contents> contents_;
  typename Contents::const_iterator it_{};
};

template <class K, class V, class H = std::hash<K>>
class AtomicDictionary {
 public:
  AtomicDictionary() = default;
  AtomicDictionary(const AtomicDictionary&) = delete;
  AtomicDictionary& operator=(const AtomicDictionary&) = delete;

  std::optional<V> get(const K& key) const {
    return lock_.read([&]() -> std::optional<V> {
      auto it = storage_.find(key);
      if (it == storage_.end()) return std::nullopt;
      return it->second;
    });
  }

  // `dictionary[key]` reads the value stored for the key (none when absent); assigning to it stores the value, none
  // removing the key. A change made in place is not stored: modify() reads and writes in one step.
  KeyedSubscript<AtomicDictionary, K, V> operator[](const K& key) { return {*this, key, get(key)}; }
  const std::optional<V> operator[](const K& key) const { return get(key); }  // const: nothing to assign to

  // Stores the value; nullopt removes the key.
  // Each write body holds its arguments by value: made inside a body of the same lock, it runs after that body.
  void set(K key, std::optional<V> value) {
    lock_.write([this, key = std::move(key), value = std::move(value)]() mutable {
      if (value)
        storage_.insert_or_assign(std::move(key), std::move(*value));
      else
        storage_.erase(key);
    });
  }

  // Reads, changes and stores one key in one exclusive step, so concurrent changes are never lost.
  // `change` receives the current value (nullopt when absent) and may set it to nullopt to remove the key.
  // When it throws, what it changed so far is still stored.
  template <class F>
  void modify(K key, F&& change) {
    lock_.write([this, key = std::move(key), change = std::forward<F>(change)]() mutable {
      std::optional<V> current;
      if (auto it = storage_.find(key); it != storage_.end()) current = it->second;
      struct Store {
        std::unordered_map<K, V, H>& storage;
        const K& key;
        std::optional<V>& value;
        ~Store() {
          if (value)
            storage.insert_or_assign(key, std::move(*value));
          else
            storage.erase(key);
        }
      } store{storage_, key, current};
      change(current);
    });
  }

  std::vector<K> keys() const {
    return lock_.read([&] {
      std::vector<K> out;
      out.reserve(storage_.size());
      for (const auto& [k, v] : storage_) out.push_back(k);
      return out;
    });
  }

  std::unordered_map<K, V, H> dictionary() const {
    return lock_.read([&] { return storage_; });
  }
  // The (key, value) pairs at the moment begin() is called.
  SnapshotIterator<std::unordered_map<K, V, H>> begin() const { return SnapshotIterator(dictionary()); }
  std::default_sentinel_t end() const { return {}; }

  // The contents as a debugger shows a dictionary: ["a": 1, "b": 2], or [:] when empty.
  std::string debugDescription() const requires Describable<K> && Describable<V> {
    return lock_.read([&] { return reflecting(storage_); });
  }

  // Given keys take the given values; other keys stay.
  void merge(const std::unordered_map<K, V, H>& other) {
    if (other.empty()) return;
    lock_.write([this, other] {
      for (const auto& [k, v] : other) storage_.insert_or_assign(k, v);
    });
  }

 private:
  mutable ReadersWriterLock lock_{"com.kestrova.AtomicDictionary"};
  std::unordered_map<K, V, H> storage_;
};

template <class T, class H = std::hash<T>>
class AtomicSet {
 public:
  AtomicSet() = default;
  AtomicSet(const AtomicSet&) = delete;
  AtomicSet& operator=(const AtomicSet&) = delete;

  bool contains(const T& element) const {
    return lock_.read([&] { return storage_.count(element) > 0; });
  }
  bool isEmpty() const {
    return lock_.read([&] { return storage_.empty(); });
  }
  std::size_t count() const {
    return lock_.read([&] { return storage_.size(); });
  }
  std::optional<T> first() const {
    return lock_.read([&]() -> std::optional<T> {
      if (storage_.empty()) return std::nullopt;
      return *storage_.begin();
    });
  }

  // An equal element already present is replaced by the given one.
  void insert(T element) {
    lock_.write([this, element = std::move(element)]() mutable {
      storage_.erase(element);
      storage_.insert(std::move(element));
    });
  }
  void remove(const T& element) {
    lock_.write([this, element] { storage_.erase(element); });
  }
  void removeAll(bool keepingCapacity = false) {
    lock_.write([this, keepingCapacity] {
      if (keepingCapacity)
        storage_.clear();
      else
        std::unordered_set<T, H>().swap(storage_);
    });
  }

  std::unordered_set<T, H> snapshot() const {
    return lock_.read([&] { return storage_; });
  }
  // The elements at the moment begin() is called.
  SnapshotIterator<std::unordered_set<T, H>> begin() const { return SnapshotIterator(snapshot()); }
  std::default_sentinel_t end() const { return {}; }

  // The contents as a debugger shows a set: Set(["a", "b"]), or Set([]) when empty.
  std::string debugDescription() const requires Describable<T> {
    return lock_.read([&] { return "Set(" + reflecting(storage_) + ")"; });
  }

  // Each side is read on its own, never one inside the other's lock.
  friend bool operator==(const AtomicSet& a, const AtomicSet& b) {
    if (&a == &b) return true;
    return a.snapshot() == b.snapshot();
  }

  // Independent of element order, like the contents' own hash.
  std::size_t hashValue() const {
    return lock_.read([&] {
      std::size_t h = 0;
      for (const auto& e : storage_) h += H{}(e)*0x9E3779B97F4A7C15ull;
      return h;
    });
  }

 private:
  mutable ReadersWriterLock lock_{"com.kestrova.AtomicSet"};
  std::unordered_set<T, H> storage_;
};

}  // namespace kit

// Independent of element order, as the set's own equality is.
template <class T, class H>
struct std::hash<kit::AtomicSet<T, H>> {
  std::size_t operator()(const kit::AtomicSet<T, H>& set) const { return set.hashValue(); }
};
