#pragma once

#include <QEasingCurve>
#include <chrono>
#include <functional>
#include <optional>
#include <utility>

#include "platform/core/executor.h"
#include "platform/core/rx.h"

namespace kit {

// Watches a value and turns its changes (from the first one on, never the starting value) into a publisher. The
// transform attaches one subscription to it, at the first change, which lives as long as the watcher.
template <class T>
class WithChangePublisher {
 public:
  using Transform = std::function<platform::rx::AnyCancellable(platform::rx::Publisher<T>)>;

  WithChangePublisher(T value, Transform transform) : value_(std::move(value)), transform_(std::move(transform)) {}

  const T& value() const { return value_; }
  // An equal value is no change.
  void setValue(const T& value) {
    if (value == value_) return;
    value_ = value;
    if (!subscription_) subscription_ = transform_(publisher_.publisher());
    publisher_.send(value);
  }

 private:
  T value_;
  Transform transform_;
  platform::rx::PassthroughSubject<T> publisher_;
  std::optional<platform::rx::AnyCancellable> subscription_;
};

// How content moves to a new value.
struct ViewAnimation {
  std::chrono::milliseconds duration{350};
  QEasingCurve curve{QEasingCurve::InOutQuad};
};

// Content for a value that trails the real one: a new value is shown only once the value has stayed unchanged for
// `delay`, and then with the animation. The content is shown for the starting value at once. The delay and the
// animation in force at the first change are kept for good.
template <class T>
class WithDelayedValue {
 public:
  using Content = std::function<void(const T& value, const std::optional<ViewAnimation>& animation)>;

  WithDelayedValue(T value, std::chrono::nanoseconds delay, std::optional<ViewAnimation> animation, Content content,
                   platform::Executor& executor = platform::mainExecutor())
      : delay(delay),
        animation(std::move(animation)),
        effectiveValue_(value),
        content_(std::move(content)),
        executor_(executor),
        watcher_(std::move(value), [this](platform::rx::Publisher<T> changes) { return debounced(changes); }) {
    content_(effectiveValue_, std::nullopt);
  }
  WithDelayedValue(const WithDelayedValue&) = delete;
  WithDelayedValue& operator=(const WithDelayedValue&) = delete;

  std::chrono::nanoseconds delay;
  std::optional<ViewAnimation> animation;

  void setValue(const T& value) { watcher_.setValue(value); }
  const T& value() const { return watcher_.value(); }
  const T& effectiveValue() const { return effectiveValue_; }

 private:
  platform::rx::AnyCancellable debounced(platform::rx::Publisher<T> changes) {
    return changes.debounce(delay, executor_).sink([this, animation = animation](const T& value) {
      effectiveValue_ = value;
      content_(effectiveValue_, animation);
    });
  }

  T effectiveValue_;
  Content content_;
  platform::Executor& executor_;
  WithChangePublisher<T> watcher_;
};

}  // namespace kit
