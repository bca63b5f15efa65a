#include "kit/preferences/publishers.h"

#include "kit/foundation/system_event_publishers.h"

namespace kit::Preferences {

rx::Publisher<BaseChange> preferencesPublisher(const std::shared_ptr<UserDefaults>& suite, std::string key,
                                               ObservationOptions options) {
  // The publisher keeps its suite alive, so that a suite nobody else holds still has values to deliver; each
  // subscription's observation holds it weakly, as every observation does.
  return rx::Publisher<BaseChange>([suite, key = std::move(key), options = std::move(options)](
                                       const rx::Publisher<BaseChange>::Subscriber& subscriber) {
    if (!suite) return rx::AnyCancellable();
    auto observation = std::make_shared<UserDefaultsKeyObservation>(
        suite, key, [value = subscriber.value](const BaseChange& change) { value(change); });
    observation->start(options);
    return rx::AnyCancellable([observation] { observation->invalidate(); });
  });
}

rx::Publisher<rx::Unit> publisher(const std::vector<const BaseKey*>& keys, const ObservationOptions& options) {
  if (keys.empty()) return rx::empty<rx::Unit>(true);
  std::vector<rx::Publisher<rx::Unit>> inputs;
  inputs.reserve(keys.size());
  for (const auto* key : keys)
    inputs.push_back(preferencesPublisher(key->sharedSuite(), key->name(), options).map(ignoreValueClosure));
  return rx::merge(std::move(inputs));
}

platform::AsyncStream<rx::Unit> changeStream(const std::vector<const BaseKey*>& keys, bool initial) {
  return platform::AsyncStream<rx::Unit>(
      [&keys, initial](const platform::AsyncStream<rx::Unit>::Continuation& continuation) {
        auto observations = std::make_shared<std::vector<std::unique_ptr<UserDefaultsKeyObservation>>>();
        for (std::size_t i = 0; i < keys.size(); ++i) {
          auto observation = std::make_unique<UserDefaultsKeyObservation>(
              keys[i]->sharedSuite(), keys[i]->name(), [continuation](const BaseChange&) { continuation.yield({}); });
          observation->start(initial && i == 0 ? ObservationOptions{ObservationOption::initial} : ObservationOptions{});
          observations->push_back(std::move(observation));
        }
        continuation.onTermination([observations](platform::StreamTermination) {
          for (auto& observation : *observations) observation->invalidate();
        });
      });
}

void reset(const std::vector<const BaseKey*>& keys) { removeStoredValues(keys); }

void reset(const std::vector<std::string>& names, UserDefaults& suite) {
  for (const auto& name : names) suite.remove(name);
}

}  // namespace kit::Preferences
