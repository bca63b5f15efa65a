#pragma once

// The kit's smallest synchronisation tools: a plain lock, run-once cells and a value behind a recursive lock.

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <type_traits>
#include <utility>

#include "kit/foundation/reference_identity.h"

namespace kit {

// A non-recursive lock at a stable address. A body must not take the same lock again.
class UnfairLock {
 public:
  UnfairLock() = default;
  UnfairLock(const UnfairLock&) = delete;
  UnfairLock& operator=(const UnfairLock&) = delete;

  template <class F>
  decltype(auto) withLock(F&& body) {
    std::lock_guard guard(mutex_);
    return std::forward<F>(body)();
  }
  void lock() { mutex_.lock(); }
  void unlock() { mutex_.unlock(); }

 private:
  std::mutex mutex_;
};

// A lock in a heap block of its own: every copy of the handle shares the one lock, which keeps its address however
// the values that hold it are copied or moved. Not recursive.
class OSAllocatedUnfairLock {
 public:
  OSAllocatedUnfairLock() : lock_(std::make_shared<UnfairLock>()) {}

  // Releases the lock on every path, also when the body throws.
  template <class F>
  decltype(auto) withLock(F&& body) const {
    return lock_->withLock(std::forward<F>(body));
  }

 private:
  std::shared_ptr<UnfairLock> lock_;
};

// Runs its closure once; every later call returns the first result without running its own closure.
// A concurrent second caller waits for the first run. The closure must not call run() on the same Once.
template <class R>
class Once {
 public:
  template <class F>
  R run(F&& body) {
    std::lock_guard guard(mutex_);
    if (!value_) value_.emplace(std::forward<F>(body)());
    return *value_;
  }

 private:
  std::mutex mutex_;
  std::optional<R> value_;
};

template <>
class Once<void> {
 public:
  template <class F>
  void run(F&& body) {
    std::lock_guard guard(mutex_);
    if (hasRun_) return;
    hasRun_ = true;
    std::forward<F>(body)();
  }

 private:
  std::mutex mutex_;
  bool hasRun_ = false;
};

// A lazily computed value for one thread (or under the caller's own lock). Equal only to itself.
template <class T>
class SimpleOnce : public HashableByReference<SimpleOnce<T>> {
 public:
  explicit SimpleOnce(std::function<T()> closure) : closure_(std::move(closure)) {}
  SimpleOnce(const SimpleOnce&) = delete;
  SimpleOnce& operator=(const SimpleOnce&) = delete;

  const T& value() {
    if (!cache_) cache_.emplace(closure_());
    return *cache_;
  }

 private:
  std::function<T()> closure_;
  std::optional<T> cache_;
};

// A closure queued to run once; releasing the cell unrun drops the closure without calling it.
class Once2 {
 public:
  enum class State { queued, executed };

  explicit Once2(std::function<void()> closure) : closure_(std::move(closure)) {}
  Once2(const Once2&) = delete;
  Once2& operator=(const Once2&) = delete;

  // Runs the closure the first time only, then lets it go.
  void run() {
    if (state_ == State::executed) return;
    state_ = State::executed;
    if (auto closure = std::exchange(closure_, nullptr)) closure();
  }
  State state() const { return state_; }

 private:
  State state_ = State::queued;
  std::function<void()> closure_;  // the pending closure while queued
};

// A value reachable only under a recursive lock: an operation may call back into the same object on one thread.
template <class T>
class LockIsolated {
 public:
  // Runs the producer (which may throw; the error goes to the caller and no object is made).
  template <class P>
  static std::shared_ptr<LockIsolated> make(P&& producer) {
    return std::shared_ptr<LockIsolated>(new LockIsolated(std::forward<P>(producer)()));
  }
  explicit LockIsolated(T value) : value_(std::move(value)) {}
  LockIsolated(const LockIsolated&) = delete;
  LockIsolated& operator=(const LockIsolated&) = delete;

  T value() const {
    std::lock_guard guard(mutex_);
    return value_;
  }

  // Reads a member of the value under the lock.
  template <class M, class U = T>
  M get(M U::*member) const {
    std::lock_guard guard(mutex_);
    return value_.*member;
  }

  // The operation changes a copy, which is written back also when the operation throws.
  template <class F>
  decltype(auto) withValue(F&& operation) {
    std::lock_guard guard(mutex_);
    T copy = value_;
    struct WriteBack {
      T& target;
      T& copy;
      ~WriteBack() { target = std::move(copy); }
    } writeBack{value_, copy};
    return std::forward<F>(operation)(copy);
  }

  // Replaces the value only when the producer succeeds.
  template <class P>
  void setValue(P&& producer) {
    std::lock_guard guard(mutex_);
    T next = std::forward<P>(producer)();
    value_ = std::move(next);
  }

  template <class F>
  decltype(auto) withLock(F&& operation) {
    std::lock_guard guard(mutex_);
    return std::forward<F>(operation)();
  }

 private:
  mutable std::recursive_mutex mutex_;
  T value_;
};

}  // namespace kit
