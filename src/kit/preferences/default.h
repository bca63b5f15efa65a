#pragma once

#include <concepts>
#include <memory>
#include <utility>

#include "kit/foundation/binding.h"
#include "kit/preferences/observable.h"

namespace kit::Preferences {

// One key for a widget that reads and writes it: the value, writes announced before they happen, a reset to
// the default, and objectWillChange(), which fires on every change of the key on the main executor (once right
// after creation, and for changes made anywhere: another key object, another thread, another program writing
// the file). Copies share one follower of the key.
template <class T>
class Default {
 public:
  explicit Default(const Key<T>& key) : observable_(Observable<T>::make(key)) {}

  const Key<T>& key() const { return observable_->key(); }
  T value() const { return observable_->value(); }
  void set(const T& value) { observable_->setValue(value); }
  // A binding of the value for a control: reading it reads the key, writing it writes as set() does.
  Binding<T> projectedValue() const {
    return {[observable = observable_] { return observable->value(); },
            [observable = observable_](const T& value) { observable->setValue(value); }};
  }
  // Reads the value, lets `change` edit it and writes it back, also when `change` throws (as the key's modify does).
  template <class F>
  void modify(F&& change) {
    T value = this->value();
    try {
      std::forward<F>(change)(value);
    } catch (...) {
      observable_->setValue(value);
      throw;
    }
    observable_->setValue(value);
  }
  // Removes the stored value: the key reads its default. The change is announced like any other.
  void reset() { key().reset(); }
  bool isDefaultValue() const requires std::equality_comparable<T> { return value() == key().defaultValue(); }

  rx::Publisher<rx::Unit> objectWillChange() const { return observable_->objectWillChange(); }

 private:
  std::shared_ptr<Observable<T>> observable_;
};

}  // namespace kit::Preferences
