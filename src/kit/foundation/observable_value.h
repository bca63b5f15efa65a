#pragma once

#include <QObject>
#include <QPointer>
#include <QVariant>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "kit/foundation/reactive_observables.h"
#include "platform/core/executor.h"
#include "platform/core/rx.h"

namespace kit {

// A value held for views: every write is announced through objectWillChange before it happens. It can follow a
// publisher, whose values it takes on the main thread while the subscription in `cancellable` lives. Main thread.
template <class T>
class ObservableValue : public ObservableObject {
 public:
  explicit ObservableValue(T initial) : wrappedValue_(std::move(initial)) {}
  ObservableValue(T initial, const platform::rx::Publisher<T>& source) : ObservableValue(std::move(initial)) {
    cancellable = source.receiveOn(platform::mainExecutor()).sink([this](const T& value) { setWrappedValue(value); });
  }
  ~ObservableValue() override { cancellable.cancel(); }

  const T& wrappedValue() const { return wrappedValue_; }
  void setWrappedValue(T value) {
    objectWillChange.send(platform::rx::Unit{});
    wrappedValue_ = std::move(value);
  }

  platform::rx::AnyCancellable cancellable;

 private:
  T wrappedValue_;
};

namespace detail {
// Calls back when a property's change signal fires.
class PropertyChangeRelay : public QObject {
  Q_OBJECT

 public:
  explicit PropertyChangeRelay(std::function<void()> changed) : changed_(std::move(changed)) {}
  Q_SLOT void propertyChanged() { changed_(); }

 private:
  std::function<void()> changed_;
};
// Connects the change signal of `object`'s property to the relay; false when the property has no change signal.
bool relayPropertyChanges(QObject* object, const char* property, PropertyChangeRelay* relay);
}  // namespace detail

// The value of a property of another object, followed through the property's change signal: each change is
// announced through objectWillChange, then taken. When the object goes away the last value stays. A subscription
// stored in `cancellable` lives as long as the holder. Main thread.
template <class T>
class KVOObservable : public ObservableObject {
 public:
  KVOObservable(QObject* object, const char* property)
      : object_(object), property_(property), relay_([this] {
          objectWillChange.send(platform::rx::Unit{});
          value_ = read();
        }) {
    value_ = read();
    isObserving_ = detail::relayPropertyChanges(object, property, &relay_);
  }
  ~KVOObservable() override { cancellable.cancel(); }

  const T& value() const { return value_; }
  // False when the property does not exist or announces no changes.
  bool isObserving() const { return isObserving_; }

  platform::rx::AnyCancellable cancellable;

 private:
  T read() const {
    if (!object_) return value_;
    return object_->property(property_.c_str()).template value<T>();
  }

  QPointer<QObject> object_;
  std::string property_;  // a copy: the caller's text may be gone before this holder is
  T value_{};
  detail::PropertyChangeRelay relay_;
  bool isObserving_ = false;
};

}  // namespace kit
