#pragma once

#include <memory>
#include <string>
#include <vector>

#include "kit/preferences/observation.h"
#include "platform/core/async_stream.h"
#include "platform/core/rx.h"

namespace kit::Preferences {

namespace rx = platform::rx;

// The changes of one key of a suite, which the publisher keeps alive. Each subscriber gets its own observation,
// started after it is subscribed (with `initial`, the current value arrives inside the call that subscribes). Values
// are delivered on the writing thread; cancelling ends the observation.
rx::Publisher<BaseChange> preferencesPublisher(const std::shared_ptr<UserDefaults>& suite, std::string key,
                                               ObservationOptions options);

template <class T>
rx::Publisher<KeyChange<T>> changePublisher(const Key<T>& key,
                                            ObservationOptions options = {ObservationOption::initial}) {
  return preferencesPublisher(key.sharedSuite(), key.name(), std::move(options))
      .map(
          [defaultValue = key.defaultValue()](const BaseChange& change) { return KeyChange<T>(change, defaultValue); });
}

// A signal for every change of any of the keys. An empty list completes at once without a value.
rx::Publisher<rx::Unit> publisher(const std::vector<const BaseKey*>& keys, const ObservationOptions& options = {});

// The values of one key: with `initial` the current value first, then the value after every change
// (the default when the key was removed). Nothing is filtered or dropped. The observation ends when
// the stream's consumer goes away.
template <class T>
platform::AsyncStream<T> valueStream(const Key<T>& key, bool initial) {
  return platform::AsyncStream<T>([&key, initial](typename platform::AsyncStream<T>::Continuation continuation) {
    auto observation = std::make_shared<UserDefaultsKeyObservation>(
        key.sharedSuite(), key.name(), [continuation, defaultValue = key.defaultValue()](const BaseChange& change) {
          continuation.yield(KeyChange<T>(change, defaultValue).newValue);
        });
    observation->start(initial ? ObservationOptions{ObservationOption::initial} : ObservationOptions{});
    continuation.onTermination([observation](platform::StreamTermination) { observation->invalidate(); });
  });
}

// A signal for every change of any of the keys; with `initial` one signal first (not one per key).
platform::AsyncStream<rx::Unit> changeStream(const std::vector<const BaseKey*>& keys, bool initial);

// Removes the stored values of the keys, in order; they read their registered defaults again.
void reset(const std::vector<const BaseKey*>& keys);
// Removes the named values of one suite, in order.
void reset(const std::vector<std::string>& names, UserDefaults& suite = UserDefaults::standard());

}  // namespace kit::Preferences
