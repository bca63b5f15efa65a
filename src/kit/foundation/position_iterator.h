#pragma once

#include <compare>
#include <cstddef>
#include <iterator>
#include <type_traits>

namespace kit {

// A random-access iterator over a collection with integer positions: it holds the collection and a position, and
// reads the element through the collection's `at(position)` when it is dereferenced. Elements that are made on
// reading (a pair of references, say) are their own value type, as with the standard library's proxy iterators.
// Like any iterator into a collection, it is valid while the collection lives where it was taken.
template <class Collection>
class PositionIterator {
 public:
  using reference = decltype(std::declval<const Collection&>().at(std::ptrdiff_t{}));
  using value_type = std::remove_cvref_t<reference>;
  using difference_type = std::ptrdiff_t;
  using iterator_category = std::random_access_iterator_tag;

  PositionIterator() = default;
  PositionIterator(const Collection* collection, difference_type position)
      : collection_(collection), position_(position) {}

  reference operator*() const { return collection_->at(position_); }
  reference operator[](difference_type offset) const { return collection_->at(position_ + offset); }

  PositionIterator& operator++() {
    ++position_;
    return *this;
  }
  PositionIterator operator++(int) {
    auto copy = *this;
    ++position_;
    return copy;
  }
  PositionIterator& operator--() {
    --position_;
    return *this;
  }
  PositionIterator operator--(int) {
    auto copy = *this;
    --position_;
    return copy;
  }
  PositionIterator& operator+=(difference_type offset) {
    position_ += offset;
    return *this;
  }
  PositionIterator& operator-=(difference_type offset) {
    position_ -= offset;
    return *this;
  }
  friend PositionIterator operator+(PositionIterator it, difference_type offset) { return it += offset; }
  friend PositionIterator operator+(difference_type offset, PositionIterator it) { return it += offset; }
  friend PositionIterator operator-(PositionIterator it, difference_type offset) { return it -= offset; }
  friend difference_type operator-(const PositionIterator& a, const PositionIterator& b) {
    return a.position_ - b.position_;
  }

  friend bool operator==(const PositionIterator& a, const PositionIterator& b) { return a.position_ == b.position_; }
  friend std::strong_ordering operator<=>(const PositionIterator& a, const PositionIterator& b) {
    return a.position_ <=> b.position_;
  }

 private:
  const Collection* collection_ = nullptr;
  difference_type position_ = 0;
};

}  // namespace kit
