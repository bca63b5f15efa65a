#include "kit/preferences/key.h"

#include "kit/foundation/log.h"

namespace kit::Preferences {

BaseKey::BaseKey(std::string name, UserDefaults& suite) : name_(std::move(name)), suite_(suite.shared_from_this()) {}

void BaseKey::reset() const { suite_->remove(name_); }

void logUnencodableValue(const BaseKey& key) {
  kit::log({"The value for", key.name(), "cannot be stored; the stored value is kept."}, LogType::error);
}

void toggle(const Key<bool>& key, const std::function<void()>& then) {
  set(key, !get(key));
  if (then) then();
}

void removeStoredValues(const std::vector<const BaseKey*>& keys) {
  for (const auto* key : keys) key->reset();
}

void removeAll(UserDefaults& suite) {
  for (const auto& [name, value] : suite.dictionaryRepresentation()) suite.remove(name);
}

}  // namespace kit::Preferences
