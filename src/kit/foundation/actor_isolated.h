#pragma once

// Values reachable only on their own serial executor (an actor): every access is a task that runs there, one
// at a time, and the caller awaits its result.

#include <memory>
#include <type_traits>
#include <utility>

#include "platform/core/executor.h"
#include "platform/core/task.h"

namespace kit {

template <class T>
class ActorIsolated : public std::enable_shared_from_this<ActorIsolated<T>> {
 public:
  // Runs the producer (which may throw; the error goes to the caller and no object is made).
  template <class P>
  static std::shared_ptr<ActorIsolated> make(P&& producer) {
    return std::shared_ptr<ActorIsolated>(new ActorIsolated(std::forward<P>(producer)()));
  }

  // The operation changes a copy, which is written back also when the operation throws.
  template <class F>
  auto withValue(F operation) {
    auto self = this->shared_from_this();
    return platform::spawn(executor_, [self, operation]() mutable {
      T copy = self->value_;
      struct WriteBack {
        T& target;
        T& copy;
        ~WriteBack() { target = std::move(copy); }
      } writeBack{self->value_, copy};
      return operation(copy);
    });
  }

  // Replaces the value only when the producer succeeds.
  template <class P>
  platform::Task<> setValue(P producer) {
    auto self = this->shared_from_this();
    return platform::spawn(executor_, [self, producer]() mutable { self->value_ = producer(); });
  }

  platform::Task<T> value() {
    auto self = this->shared_from_this();
    return platform::spawn(executor_, [self] { return self->value_; });
  }

 private:
  explicit ActorIsolated(T value) : value_(std::move(value)) {}
  platform::SerialExecutor executor_{platform::globalExecutor()};
  T value_;
};

// A value read and written on its own actor.
template <class T>
class AsyncValueBox : public std::enable_shared_from_this<AsyncValueBox<T>> {
 public:
  static std::shared_ptr<AsyncValueBox> make(T value) {
    return std::shared_ptr<AsyncValueBox>(new AsyncValueBox(std::move(value)));
  }

  platform::Task<T> value() {
    auto self = this->shared_from_this();
    return platform::spawn(executor_, [self] { return self->value_; });
  }
  platform::Task<> setValue(T value) {
    auto self = this->shared_from_this();
    return platform::spawn(executor_, [self, value = std::move(value)]() mutable { self->value_ = std::move(value); });
  }

 private:
  explicit AsyncValueBox(T value) : value_(std::move(value)) {}
  platform::SerialExecutor executor_{platform::globalExecutor()};
  T value_;
};

}  // namespace kit
