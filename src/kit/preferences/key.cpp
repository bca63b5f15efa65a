#include "kit/preferences/key.h"

#include <mutex>
#include <set>
#include <string_view>
#include <utility>

#include "kit/foundation/log.h"

namespace kit::Preferences {

BaseKey::BaseKey(std::string name, UserDefaults& suite) : name_(std::move(name)), suite_(suite.shared_from_this()) {}

void BaseKey::reset() const { suite_->remove(name_); }

void logUnencodableValue(std::string_view name) {
  kit::log({"The value for", std::string(name), "cannot be stored; the stored value is kept."}, LogType::error);
}

void toggle(const Key<bool>& key, const std::function<void()>& then) {
  set(key, !get(key));
  if (then) then();
}

void warnAboutUnreadableValue(const UserDefaults& suite, std::string_view name, const char* storedKind,
                              const char* expectedKind) {
  static std::mutex mutex;
  static std::set<std::pair<std::string, std::string>> warned;
  {
    std::lock_guard lock(mutex);
    if (!warned.emplace(suite.suiteName(), std::string(name)).second) return;
  }
  const auto withArticle = [](std::string_view kind) {
    return std::string(std::string_view("aeiou").find(kind.front()) == std::string_view::npos ? "a " : "an ") +
           std::string(kind);
  };
  const std::string what =
      std::string_view(storedKind) == expectedKind
          ? "holds " + withArticle(storedKind) + " that does not read as its setting;"
          : "holds " + withArticle(storedKind) + " where " + withArticle(expectedKind) + " is expected;";
  kit::log({"The preference", std::string(name), what, "its default applies, and the stored value is left as it is."},
           LogType::error);
}

void removeStoredValues(const std::vector<const BaseKey*>& keys) {
  for (const auto* key : keys) key->reset();
}

void removeAll(UserDefaults& suite) {
  for (const auto& [name, value] : suite.dictionaryRepresentation()) suite.remove(name);
}

}  // namespace kit::Preferences
