#pragma once

#include <cstddef>
#include <deque>
#include <vector>

namespace kit {

// A list that keeps at most `limit` entries: each append beyond it drops the oldest one.
template <class T>
class BoundedArray {
 public:
  explicit BoundedArray(std::ptrdiff_t limit) : limit_(limit) {}

  void append(T element) {
    if (!entries_.empty() && static_cast<std::ptrdiff_t>(entries_.size()) >= limit_) entries_.pop_front();
    entries_.push_back(std::move(element));
  }
  void removeAll() { entries_.clear(); }

  std::ptrdiff_t limit() const { return limit_; }
  std::size_t size() const { return entries_.size(); }
  // Oldest first.
  std::vector<T> entries() const { return {entries_.begin(), entries_.end()}; }

 private:
  std::ptrdiff_t limit_;
  std::deque<T> entries_;
};

}  // namespace kit
