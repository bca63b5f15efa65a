#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kit/foundation/hashing.h"
#include "kit/preferences/serializable.h"
#include "platform/prefs/user_defaults.h"

namespace kit::Preferences {

using platform::UserDefaults;

// The untyped key: a preference name in a suite. Equal when name and suite are; the value type plays no part.
class BaseKey {
 public:
  explicit BaseKey(std::string name, UserDefaults& suite = UserDefaults::standard());
  virtual ~BaseKey() = default;

  const std::string& name() const { return name_; }
  UserDefaults& suite() const { return *suite_; }
  const std::shared_ptr<UserDefaults>& sharedSuite() const { return suite_; }

  // Removes the stored value; the key reads its default again.
  void reset() const;

  friend bool operator==(const BaseKey& a, const BaseKey& b) { return a.name_ == b.name_ && a.suite_ == b.suite_; }

 private:
  std::string name_;
  std::shared_ptr<UserDefaults> suite_;
};

void logUnencodableValue(std::string_view name);
// Says once per name and suite that the stored object is of another kind than the key reads (or does not read
// as the key's type): the key's default applies, and the stored object is left as it is.
void warnAboutUnreadableValue(const UserDefaults& suite, std::string_view name, const char* storedKind,
                              const char* expectedKind);

// A typed key with the value a read falls back to. Creating one registers its default in the suite
// (never in the file); a key of an optional type with no default registers nothing.
template <PreferencesSerializable T>
class Key : public BaseKey {
 public:
  using Value = T;

  Key(std::string name, T defaultValue, UserDefaults& suite = UserDefaults::standard())
      : BaseKey(std::move(name), suite), defaultValue_(std::move(defaultValue)) {
    registerDefault();
  }
  explicit Key(std::string name, UserDefaults& suite = UserDefaults::standard()) requires isOptional<T>
      : BaseKey(std::move(name), suite) {}

  const T& defaultValue() const { return defaultValue_; }

 private:
  void registerDefault() const {
    if (isNilValue(defaultValue_)) return;
    if (auto stored = serializedValue(defaultValue_)) suite().registerDefaults({{name(), std::move(*stored)}});
  }

  T defaultValue_{};
};

// The stored value converted to T, without any default: none when nothing is stored (neither written
// nor registered) or the object does not convert.
template <PreferencesSerializable T>
std::optional<T> storedValue(const UserDefaults& suite, std::string_view name) {
  std::optional<T> result;
  suite.withObject(name, [&](const PlistValue& object) { result = toValue<T>(object); });
  return result;
}

namespace detail {
template <class T>
struct Unwrapped {
  using type = T;
};
template <class T>
struct Unwrapped<std::optional<T>> {
  using type = T;
};

// The kind of object the key's type is stored as ("boolean", "string", ...).
template <PreferencesSerializable T>
const char* expectedKind(const Key<T>& key) {
  if (auto stored = serializedValue(key.defaultValue())) return platform::kindName(*stored);
  using StoredForm =
      std::conditional_t<storesNatively<T>, typename Unwrapped<T>::type, typename Serializable<T>::Bridge::Stored>;
  if constexpr (std::is_default_constructible_v<StoredForm>)
    return platform::kindName(NativeForm<StoredForm>::toPlist(StoredForm{}));
  else
    return "value of another form";
}
}  // namespace detail

// The value the suite holds under the key's name: what is stored (or registered), else the key's default. The
// suite need not be the key's own. A stored object that does not convert is warned about once and left in the file.
template <class T>
T get(const UserDefaults& suite, const Key<T>& key) {
  std::optional<T> value;
  const char* unreadableKind = nullptr;
  suite.withObject(key.name(), [&](const PlistValue& object) {
    value = toValue<T>(object);
    if (!value) unreadableKind = platform::kindName(object);
  });
  if (value) return std::move(*value);
  if (unreadableKind) warnAboutUnreadableValue(suite, key.name(), unreadableKind, detail::expectedKind(key));
  return key.defaultValue();
}

// The value of the key in its own suite.
template <class T>
T get(const Key<T>& key) {
  return get(key.suite(), key);
}

// Writes the value under the name, also when it equals a default. A nil optional removes the stored value. A value
// with no stored form leaves the stored value as it is and is logged; returns false then.
template <PreferencesSerializable T>
bool setDefault(UserDefaults& suite, const T& value, std::string_view name) {
  if (isNilValue(value)) {
    suite.remove(name);
    return true;
  }
  auto stored = serializedValue(value);
  if (!stored) {
    logUnencodableValue(name);
    return false;
  }
  suite.set(name, std::move(*stored));
  return true;
}

// Writes the value to the key in its own suite, as setDefault does.
template <class T>
bool set(const Key<T>& key, const T& value) {
  return setDefault(key.suite(), value, key.name());
}

// Reads the value, lets `change` edit it, writes it back, also when `change` throws (the edit made until then is
// kept, and the error goes on). The write is never left to a destructor, where a failing write would end the program.
template <class T, class F>
void modify(const Key<T>& key, F&& change) {
  T value = get(key);
  try {
    std::forward<F>(change)(value);
  } catch (...) {
    set(key, value);
    throw;
  }
  set(key, value);
}

// Stores the negation of a Boolean key's value, then calls `then` when given.
void toggle(const Key<bool>& key, const std::function<void()>& then = {});

// Removes the stored values of the keys, in order.
void removeStoredValues(const std::vector<const BaseKey*>& keys);
// Removes every key the suite shows (registered defaults stay registered, so keys read their defaults).
void removeAll(UserDefaults& suite = UserDefaults::standard());

}  // namespace kit::Preferences

// The name, then the suite's identity: keys of every value type that are equal hash alike.
template <>
struct std::hash<kit::Preferences::BaseKey> {
  std::size_t operator()(const kit::Preferences::BaseKey& key) const noexcept {
    std::size_t seed = std::hash<std::string>()(key.name());
    kit::hashCombine(seed, std::hash<const void*>()(&key.suite()));
    return seed;
  }
};
