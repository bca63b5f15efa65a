#pragma once

#include <functional>
#include <memory>

namespace kit {

// A value that lives elsewhere (a preference, a field of a screen), read and written through two functions. A
// control bound to it shows what `get` answers and hands the user's edits to `set`.
template <class T>
struct Binding {
  std::function<T()> get;
  std::function<void(const T&)> set;

  // Always reads `value`; writes go nowhere.
  static Binding constant(T value) {
    return {[value] { return value; }, [](const T&) {}};
  }
  // A value of its own, shared by the copies of the binding.
  static Binding stored(T initial = T{}) {
    auto value = std::make_shared<T>(std::move(initial));
    return {[value] { return *value; }, [value](const T& newValue) { *value = newValue; }};
  }
};

}  // namespace kit
