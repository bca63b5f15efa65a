#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include "kit/foundation/object_lifetime.h"
#include "kit/preferences/key.h"

namespace kit::Preferences {

enum class ObservationOption { initial, prior };
using ObservationOptions = std::set<ObservationOption>;

// What kind of change an observed value went through. A preference is always set as a whole; the other kinds are
// those of an observed collection, whose members were inserted, removed or replaced at `indexes`.
enum class ChangeKind { setting = 1, insertion, removal, replacement };

// The untyped change record: values as the suite shows them (none when absent).
struct BaseChange {
  ChangeKind kind = ChangeKind::setting;
  std::optional<std::set<std::size_t>> indexes;  // none for a setting
  bool isPrior = false;
  std::optional<PlistValue> newValue;
  std::optional<PlistValue> oldValue;
};

// A change value as T; none when absent or not convertible.
template <PreferencesSerializable T>
std::optional<T> changeValue(const std::optional<PlistValue>& object) {
  if (!object) return std::nullopt;
  return toValue<T>(*object);
}

// The typed change record; a value that is absent or does not convert is the key's default.
template <class T>
struct KeyChange {
  ChangeKind kind = ChangeKind::setting;
  std::optional<std::set<std::size_t>> indexes;
  bool isPrior = false;
  T newValue;
  T oldValue;

  KeyChange(const BaseChange& change, const T& defaultValue)
      : kind(change.kind),
        indexes(change.indexes),
        isPrior(change.isPrior),
        newValue(changeValue<T>(change.newValue).value_or(defaultValue)),
        oldValue(changeValue<T>(change.oldValue).value_or(defaultValue)) {}

  friend bool operator==(const KeyChange&, const KeyChange&) = default;
};

// An observation of preference keys. It ends with invalidate() or when destroyed; after invalidate()
// returns, no callback starts on the invalidating thread.
class Observation : public std::enable_shared_from_this<Observation> {
 public:
  Observation();
  virtual ~Observation();
  virtual void invalidate() = 0;

  // Lets `owner` keep the observation alive, and ends it when the owner is destroyed. Main thread only.
  Observation& tieToLifetime(QObject* owner);
  // Undoes the tie: the owner no longer keeps the observation, and its destruction no longer ends it.
  void removeLifetimeTie();

 protected:
  void endLifetimeTie();

 private:
  std::unique_ptr<kit::LifetimeAssociation> lifetimeAssociation_;
};

// Watches one key of one suite (held weakly).
class UserDefaultsKeyObservation final : public Observation {
 public:
  UserDefaultsKeyObservation(const std::shared_ptr<UserDefaults>& suite, std::string key,
                             std::function<void(const BaseChange&)> callback);
  ~UserDefaultsKeyObservation() override { invalidate(); }

  // With `initial` the callback runs once at once; `prior` is dropped when `initial` is given.
  void start(const ObservationOptions& options);
  void invalidate() override;

 private:
  std::weak_ptr<UserDefaults> suite_;
  std::string key_;
  std::shared_ptr<const std::function<void(const BaseChange&)>> callback_;
  platform::rx::AnyCancellable token_;
};

// Several (suite, key) pairs with one callback.
class CompositeUserDefaultsKeyObservation final : public Observation {
 public:
  CompositeUserDefaultsKeyObservation(const std::vector<const BaseKey*>& keys,
                                      std::function<void(const BaseChange&)> callback);
  ~CompositeUserDefaultsKeyObservation() override { invalidate(); }
  void start(const ObservationOptions& options);
  void invalidate() override;

 private:
  std::vector<std::unique_ptr<UserDefaultsKeyObservation>> parts_;
};

// Runs `body` with this thread's observation callbacks swallowed (writes on other threads still notify).
void suppressingObservationCallbacks(const std::function<void()>& body);

template <class T>
std::shared_ptr<Observation> observe(const Key<T>& key, const ObservationOptions& options,
                                     std::type_identity_t<std::function<void(const KeyChange<T>&)>> handler) {
  auto observation = std::make_shared<UserDefaultsKeyObservation>(
      key.sharedSuite(), key.name(),
      [handler = std::move(handler), defaultValue = key.defaultValue()](const BaseChange& change) {
        handler(KeyChange<T>(change, defaultValue));
      });
  observation->start(options);
  return observation;
}

std::shared_ptr<Observation> observe(const std::vector<const BaseKey*>& keys, const ObservationOptions& options,
                                     std::function<void(const BaseChange&)> handler);

}  // namespace kit::Preferences
