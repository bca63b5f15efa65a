#include "kit/app/launch_history.h"

#include <limits>
#include <utility>

#include "kit/app/app_facts.h"
#include "kit/app/system_memory.h"

namespace kit::LaunchHistory {

namespace {

// The one maker of the kit's Bool flags: false unless stored.
Preferences::Key<bool> flagKey(std::string name, platform::UserDefaults& suite) {
  return Preferences::Key<bool>(std::move(name), false, suite);
}

}  // namespace

Preferences::Key<int64_t> launchCountKey(platform::UserDefaults& suite) {
  return Preferences::Key<int64_t>("Zv_launchCount", 0, suite);
}

Preferences::Key<std::optional<platform::Date>> firstLaunchDateKey(platform::UserDefaults& suite) {
  return Preferences::Key<std::optional<platform::Date>>("Zv_firstLaunchDate", suite);
}

Preferences::Key<std::optional<std::string>> previousLaunchedVersionKey(platform::UserDefaults& suite) {
  return Preferences::Key<std::optional<std::string>>("Zv_previousLaunchedVersion", suite);
}

Preferences::Key<bool> wasRelaunchedKey(platform::UserDefaults& suite) { return flagKey("ZvApp_wasRelaunched", suite); }

Preferences::Key<bool> showsSettingsAfterRelaunchKey(platform::UserDefaults& suite) {
  return flagKey("Zv_isShowingSettingsAfterRelaunch", suite);
}

int64_t countLaunch(platform::UserDefaults& suite) {
  const auto key = launchCountKey(suite);
  const int64_t count = Preferences::get(key);
  const int64_t next = count == std::numeric_limits<int64_t>::max() ? count : count + 1;
  Preferences::set(key, next);
  return next;
}

platform::Date firstLaunchDate(platform::UserDefaults& suite, platform::Date now) {
  const auto key = firstLaunchDateKey(suite);
  if (auto stored = Preferences::get(key)) return *stored;
  Preferences::set(key, std::optional(now));
  return now;
}

std::string previousLaunchedVersion(platform::UserDefaults& suite, const std::string& currentVersion) {
  const auto key = previousLaunchedVersionKey(suite);
  std::string previous = Preferences::get(key).value_or(currentVersion);
  Preferences::set(key, std::optional(currentVersion));
  return previous;
}

bool takeWasRelaunched(platform::UserDefaults& suite) {
  const auto key = wasRelaunchedKey(suite);
  const bool value = Preferences::get(key);
  key.reset();
  return value;
}

bool takeShowsSettingsAfterRelaunch(platform::UserDefaults& suite) {
  const auto key = showsSettingsAfterRelaunchKey(suite);
  if (!Preferences::get(key)) return false;
  key.reset();
  return true;
}

bool runOnce(const std::string& identifier, platform::UserDefaults& suite) {
  const std::string key = runOncePrefix + identifier;
  if (Preferences::storedValue<bool>(suite, key).value_or(false)) return false;
  Preferences::setDefault(suite, true, key);
  return true;
}

}  // namespace kit::LaunchHistory

namespace kit::LaunchFacts {

int64_t launchCount() {
  static const int64_t value = LaunchHistory::countLaunch(platform::UserDefaults::standard());
  return value;
}

bool isFirstLaunch() { return launchCount() == 1; }

platform::Date firstLaunchDate() {
  static const platform::Date value =
      LaunchHistory::firstLaunchDate(platform::UserDefaults::standard(), platform::clock().now());
  return value;
}

platform::Date startDate() {
  static const platform::Date value = platform::clock().now();
  return value;
}

const std::string& previousLaunchedVersion() {
  static const std::string value =
      LaunchHistory::previousLaunchedVersion(platform::UserDefaults::standard(), AppFacts::version());
  return value;
}

int64_t freeMemoryAtLaunch() {
  static const int64_t value = SystemMemory::availableBytes().value_or(0);
  return value;
}

bool wasRelaunched() {
  static const bool value = LaunchHistory::takeWasRelaunched(platform::UserDefaults::standard());
  return value;
}

}  // namespace kit::LaunchFacts
