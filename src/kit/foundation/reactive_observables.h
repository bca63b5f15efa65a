#pragma once

// Small main-thread observable objects for views: each announces through objectWillChange before it changes.

#include <chrono>
#include <memory>
#include <optional>

#include "kit/foundation/async_sequences.h"
#include "platform/core/rx.h"

namespace kit {

// Neither copied nor moved: its properties and subscribers hold on to it where it is.
class ObservableObject {
 public:
  ObservableObject() = default;
  ObservableObject(const ObservableObject&) = delete;
  ObservableObject& operator=(const ObservableObject&) = delete;
  virtual ~ObservableObject() = default;
  platform::rx::PassthroughSubject<platform::rx::Unit> objectWillChange;
};

// Flips its value on every tick of a main-thread timer, so that a view observing it redraws each interval.
// Ticks stop when the object is destroyed.
class ViewTimer : public ObservableObject {
 public:
  explicit ViewTimer(std::chrono::nanoseconds interval, std::optional<std::chrono::nanoseconds> tolerance = {});
  bool value() const { return value_; }

 private:
  bool value_ = false;
  platform::rx::AnyCancellable cancellable_;
};

// Announces a change on the main thread whenever the source publisher fires; has no state of its own.
class ListenOnlyPublisherObservable : public ObservableObject {
 public:
  explicit ListenOnlyPublisherObservable(const platform::rx::Publisher<platform::rx::Unit>& source);

 private:
  platform::rx::AnyCancellable cancellable_;
};

// A second listen-only observable, a type of its own for observers that must tell the two apart.
class ListenOnlyPublisherObservable2 : public ListenOnlyPublisherObservable {
 public:
  using ListenOnlyPublisherObservable::ListenOnlyPublisherObservable;
};

// A property that publishes only real changes: assigning an equal value does nothing; otherwise the owner's
// objectWillChange is sent first, then the new value to subscribers of publisher().
template <class T>
class PublishedUnique {
 public:
  explicit PublishedUnique(T initial, ObservableObject* owner = nullptr)
      : storage_(std::move(initial)), owner_(owner) {}
  // A copy would share this one's subject and announce through its owner, which it may outlive.
  PublishedUnique(const PublishedUnique&) = delete;
  PublishedUnique& operator=(const PublishedUnique&) = delete;

  T get() const { return storage_.value(); }
  void set(const T& value) {
    // The change is announced before the value is stored, and only for a real change.
    if (storage_.value() == value) return;
    if (owner_) owner_->objectWillChange.send(platform::rx::Unit{});
    storage_.sendIfChanged(value);
  }
  template <class F>
  void modify(F&& change) {
    T value = get();
    std::forward<F>(change)(value);
    set(value);
  }
  // The current value on subscription, then each real change.
  platform::rx::Publisher<T> publisher() const { return storage_.publisher(); }

 private:
  platform::rx::CurrentValueSubject<T> storage_;
  ObservableObject* owner_;
};

// The latest element of a sequence (or the default before the first), updated on the main thread. Destroying
// it cancels the consuming task; after the sequence ends the last element stays.
template <class T>
class AsyncSequenceValue {
 public:
  template <class S>
  AsyncSequenceValue(S sequence, T defaultValue)
      : defaultValue_(std::move(defaultValue)), observable_(std::make_shared<Observable>()) {
    std::weak_ptr<Observable> weak = observable_;
    observable_->cancellable = kit::sink(std::move(sequence), [weak](const T& element) {
      platform::mainExecutor().post([weak, element] {
        if (auto observable = weak.lock()) {
          observable->objectWillChange.send(platform::rx::Unit{});
          observable->value = element;
        }
      });
    });
  }

  T wrappedValue() const { return observable_->value ? *observable_->value : defaultValue_; }
  ObservableObject& observable() { return *observable_; }

 private:
  struct Observable : ObservableObject {
    platform::rx::AnyCancellable cancellable;
    std::optional<T> value;
  };
  T defaultValue_;
  std::shared_ptr<Observable> observable_;
};

}  // namespace kit
