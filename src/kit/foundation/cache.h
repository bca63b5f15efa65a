#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>

#include "kit/foundation/keyed_subscript.h"

namespace kit {

// A named memory cache. A count limit and a limit on the total cost of the entries (0: no limit) make it evict
// entries, the least recently used first. Safe from any thread.
template <class Key, class Value, class Hash = std::hash<Key>>
class Cache {
 public:
  Cache() = default;
  Cache(std::string name, int64_t totalCostLimit, int64_t countLimit)
      : name_(std::move(name)), totalCostLimit_(totalCostLimit), countLimit_(countLimit) {}
  Cache(const Cache&) = delete;
  Cache& operator=(const Cache&) = delete;

  // A new cache with the default settings: every call makes another one.
  static std::shared_ptr<Cache> shared() { return std::make_shared<Cache>(); }

  std::string name() const {
    std::lock_guard guard(mutex_);
    return name_;
  }
  int64_t totalCostLimit() const {
    std::lock_guard guard(mutex_);
    return totalCostLimit_;
  }
  int64_t countLimit() const {
    std::lock_guard guard(mutex_);
    return countLimit_;
  }
  void setTotalCostLimit(int64_t limit) {
    std::lock_guard guard(mutex_);
    totalCostLimit_ = limit;
    evictLocked();
  }
  void setCountLimit(int64_t limit) {
    std::lock_guard guard(mutex_);
    countLimit_ = limit;
    evictLocked();
  }

  // The entry, or none when it was never stored, removed or evicted. Reading makes it the most recently used.
  std::optional<Value> object(const Key& key) {
    std::lock_guard guard(mutex_);
    auto it = index_.find(key);
    if (it == index_.end()) return std::nullopt;
    entries_.splice(entries_.end(), entries_, it->second);
    return it->second->value;
  }

  void setObject(const Key& key, Value value, int64_t cost = 0) {
    std::lock_guard guard(mutex_);
    removeLocked(key);
    entries_.push_back({key, std::move(value), cost});
    index_.emplace(key, std::prev(entries_.end()));
    totalCost_ += cost;
    evictLocked();
  }

  void removeObject(const Key& key) {
    std::lock_guard guard(mutex_);
    removeLocked(key);
  }

  void removeAllObjects() {
    std::lock_guard guard(mutex_);
    entries_.clear();
    index_.clear();
    totalCost_ = 0;
  }

  // The keyed form: a value is stored without a cost; none removes the entry. `cache[key]` reads as object(key),
  // and assigning to it stores through set().
  void set(const Key& key, std::optional<Value> value) {
    if (value)
      setObject(key, std::move(*value));
    else
      removeObject(key);
  }
  KeyedSubscript<Cache, Key, Value> operator[](const Key& key) { return {*this, key, object(key)}; }

 private:
  struct Entry {
    Key key;
    Value value;
    int64_t cost;
  };

  void removeLocked(const Key& key) {
    auto it = index_.find(key);
    if (it == index_.end()) return;
    totalCost_ -= it->second->cost;
    entries_.erase(it->second);
    index_.erase(it);
  }

  void evictLocked() {
    auto overLimit = [&] {
      return (countLimit_ > 0 && static_cast<int64_t>(entries_.size()) > countLimit_) ||
             (totalCostLimit_ > 0 && totalCost_ > totalCostLimit_);
    };
    while (!entries_.empty() && overLimit()) removeLocked(entries_.front().key);
  }

  mutable std::mutex mutex_;
  std::string name_;
  int64_t totalCostLimit_ = 0;
  int64_t countLimit_ = 0;
  int64_t totalCost_ = 0;
  std::list<Entry> entries_;  // least recently used first
  std::unordered_map<Key, typename std::list<Entry>::iterator, Hash> index_;
};

}  // namespace kit
