#pragma once

// Small generic holders: a value with identity, a value shared between holders, a value computed on first
// use, a reference that lets its object go, a lock-protected value shared by copies, and an object that runs a
// closure when released.

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "kit/foundation/locks.h"
#include "kit/foundation/position_iterator.h"
#include "kit/foundation/textual_description.h"
#include "kit/foundation/value_wrappers.h"

namespace kit {

template <class T>
class Box {
 public:
  explicit Box(T value) : wrappedValue_(std::move(value)) {}
  const T& wrappedValue() const { return wrappedValue_; }

  bool operator==(const Box& other) const { return wrappedValue_ == other.wrappedValue_; }
  bool operator<(const Box& other) const { return wrappedValue_ < other.wrappedValue_; }
  // The value's standard textual form (a text without quotes); debugDescription() wraps the same text.
  std::string description() const requires Describable<T> { return describing(wrappedValue_); }
  std::string debugDescription() const requires Describable<T> { return "Box(" + description() + ")"; }
  // The wrapped value's own identity.
  AnyHashable id() const requires Identifiable<T> { return AnyHashable(wrappedValue_.id()); }

 private:
  const T wrappedValue_;
};

// A value shared by every copy of the box: a change through one copy shows through all (a const box too, as a
// const pointer still reaches its object).
template <class T>
class MutableBox {
 public:
  explicit MutableBox(T value) : storage_(std::make_shared<T>(std::move(value))) {}
  T& wrappedValue() const { return *storage_; }

  bool operator==(const MutableBox& other) const { return wrappedValue() == other.wrappedValue(); }
  bool operator<(const MutableBox& other) const { return wrappedValue() < other.wrappedValue(); }
  std::string description() const requires Describable<T> { return describing(wrappedValue()); }
  std::string debugDescription() const requires Describable<T> { return "MutableBox(" + description() + ")"; }
  AnyHashable id() const requires Identifiable<T> { return AnyHashable(wrappedValue().id()); }

 private:
  std::shared_ptr<T> storage_;
};

// Computes its value on the first read, once, also when several threads read at the same time.
// The producer must not read the same box.
template <class T>
class LazyBox {
 public:
  explicit LazyBox(std::function<T()> closure) : closure_(std::move(closure)) {}
  LazyBox(const LazyBox&) = delete;
  LazyBox& operator=(const LazyBox&) = delete;

  const T& get() const {
    std::call_once(once_, [this] { value_.emplace(closure_()); });
    return *value_;
  }
  T wrappedValue() const { return get(); }

  // Each of these computes the value first when it has not been read yet.
  bool operator==(const LazyBox& other) const { return get() == other.get(); }
  bool operator<(const LazyBox& other) const { return get() < other.get(); }
  AnyHashable id() const requires Identifiable<T> { return AnyHashable(get().id()); }

 private:
  std::function<T()> closure_;
  mutable std::once_flag once_;
  mutable std::optional<T> value_;
};

// A weak reference to a shared object, shared by every copy of the box: replacing it through one copy (null empties
// the box) shows through all.
template <class T>
class WeakBox {
 public:
  WeakBox() : WeakBox(nullptr) {}
  explicit WeakBox(const std::shared_ptr<T>& object) : storage_(std::make_shared<std::weak_ptr<T>>(object)) {}

  std::shared_ptr<T> wrappedValue() const { return storage_->lock(); }
  void setWrappedValue(const std::shared_ptr<T>& object) const { *storage_ = object; }
  bool isEmpty() const { return storage_->expired(); }

  // A member of the object while it lives.
  template <class M>
  std::optional<M> get(M T::*member) const {
    if (auto object = wrappedValue()) return (*object).*member;
    return std::nullopt;
  }
  // Sets a member when the object lives and a value is given; otherwise does nothing.
  template <class M>
  void set(M T::*member, std::optional<M> value) const {
    if (!value) return;
    if (auto object = wrappedValue()) (*object).*member = std::move(*value);
  }

  // Two empty boxes are equal; an empty box is less than no box.
  bool operator==(const WeakBox& other) const {
    auto a = wrappedValue(), b = other.wrappedValue();
    if (!a || !b) return !a && !b;
    return *a == *b;
  }
  bool operator<(const WeakBox& other) const {
    auto a = wrappedValue(), b = other.wrappedValue();
    if (!a || !b) return false;
    return *a < *b;
  }
  // The object's identity while it lives; none (the same for every empty box) otherwise.
  AnyHashable id() const requires Identifiable<T> {
    auto object = wrappedValue();
    return AnyHashable(object ? std::optional(object->id()) : std::nullopt);
  }

 private:
  std::shared_ptr<std::weak_ptr<T>> storage_;
};

// Weak references by position; released objects keep their position and read as null. Iteration walks the slots
// from position 0 up.
template <class T>
class WeakArray {
 public:
  WeakArray() = default;
  WeakArray(std::initializer_list<std::shared_ptr<T>> objects) {
    for (const auto& o : objects) storage_.emplace_back(o);
  }

  void append(const std::shared_ptr<T>& object) { storage_.emplace_back(object); }

  // Outside 0..<size, std::out_of_range.
  std::shared_ptr<T> at(std::size_t position) const { return storage_.at(position).wrappedValue(); }
  std::shared_ptr<T> operator[](std::size_t position) const { return at(position); }
  std::size_t size() const { return storage_.size(); }
  bool empty() const { return storage_.empty(); }
  PositionIterator<WeakArray> begin() const { return {this, 0}; }
  PositionIterator<WeakArray> end() const { return {this, static_cast<std::ptrdiff_t>(storage_.size())}; }

 private:
  std::vector<WeakBox<T>> storage_;
};

// A value behind a lock, shared by every copy of the box. The operation must not use the same box.
template <class T>
class LockedValueBox {
 public:
  explicit LockedValueBox(T value) : storage_(std::make_shared<Storage>(std::move(value))) {}

  template <class F>
  decltype(auto) withLock(F&& operation) const {
    return storage_->lock.withLock([&]() -> decltype(auto) { return std::forward<F>(operation)(storage_->value); });
  }

 private:
  struct Storage {
    explicit Storage(T v) : value(std::move(v)) {}
    OSAllocatedUnfairLock lock;
    T value;
  };
  std::shared_ptr<Storage> storage_;
};

// Runs its closure once, when the last reference to it goes away. Hold it in a shared_ptr.
class DeinitObserver {
 public:
  explicit DeinitObserver(std::function<void()> closure) : closure_(std::move(closure)) {}
  DeinitObserver(const DeinitObserver&) = delete;
  DeinitObserver& operator=(const DeinitObserver&) = delete;
  ~DeinitObserver() {
    if (closure_) closure_();
  }

 private:
  std::function<void()> closure_;
};

}  // namespace kit

// Boxes hash their value alone; an empty weak box hashes as no value, so every empty box hashes alike.
template <class T>
struct std::hash<kit::Box<T>> {
  std::size_t operator()(const kit::Box<T>& box) const { return std::hash<T>()(box.wrappedValue()); }
};
template <class T>
struct std::hash<kit::MutableBox<T>> {
  std::size_t operator()(const kit::MutableBox<T>& box) const { return std::hash<T>()(box.wrappedValue()); }
};
template <class T>
struct std::hash<kit::LazyBox<T>> {
  std::size_t operator()(const kit::LazyBox<T>& box) const { return std::hash<T>()(box.get()); }
};
template <class T>
struct std::hash<kit::WeakBox<T>> {
  std::size_t operator()(const kit::WeakBox<T>& box) const {
    auto object = box.wrappedValue();
    return object ? std::hash<T>()(*object) : std::hash<std::optional<T>>()(std::nullopt);
  }
};
