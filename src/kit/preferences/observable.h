#pragma once

#include <memory>
#include <optional>

#include "kit/preferences/publishers.h"
#include "platform/core/executor.h"
#include "platform/core/task.h"

namespace kit::Preferences {

// One key for views: announces every change of the key (objectWillChange) on the main executor, once
// right after creation, and before each write made through it. Views re-read `value()` afterwards.
template <class T>
class Observable : public std::enable_shared_from_this<Observable<T>> {
  struct Private {};

 public:
  static std::shared_ptr<Observable> make(const Key<T>& key) {
    auto observable = std::make_shared<Observable>(Private{}, key);
    observable->follow();
    return observable;
  }
  Observable(Private, const Key<T>& key) : key_(key) {}
  ~Observable() {
    if (task_) task_->cancel();
  }
  Observable(const Observable&) = delete;
  Observable& operator=(const Observable&) = delete;

  const Key<T>& key() const { return key_; }
  T value() const { return get(key_); }
  // Announces first, then writes: a subscriber reading the key in its handler still sees the old value.
  void setValue(const T& value) {
    objectWillChange_.send({});
    set(key_, value);
  }
  rx::Publisher<rx::Unit> objectWillChange() const { return objectWillChange_.publisher(); }

 private:
  void follow() {
    std::weak_ptr<Observable> weak = this->weak_from_this();
    task_ = platform::spawn(platform::mainExecutor(), [weak, key = key_]() -> platform::Task<> {
      auto stream = valueStream(key, true);
      while (co_await stream.next()) {
        auto self = weak.lock();
        if (!self) break;
        self->objectWillChange_.send({});
      }
    });
  }

  Key<T> key_;
  rx::PassthroughSubject<rx::Unit> objectWillChange_;
  std::optional<platform::Task<>> task_;
};

}  // namespace kit::Preferences
