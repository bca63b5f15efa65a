#include "kit/app/launch_history.h"

#include <limits>

#include "kit/app/app_facts.h"
#include "kit/app/system_memory.h"
#include "kit/preferences/key.h"

namespace kit::LaunchHistory {

using platform::PlistValue;

namespace {

bool storedBool(platform::UserDefaults& suite, const std::string& key) {
  return Preferences::storedValue<bool>(suite, key).value_or(false);
}

}  // namespace

int64_t countLaunch(platform::UserDefaults& suite) {
  const int64_t count = Preferences::storedValue<int64_t>(suite, launchCountKey).value_or(0);
  const int64_t next = count == std::numeric_limits<int64_t>::max() ? count : count + 1;
  suite.set(launchCountKey, PlistValue(next));
  return next;
}

platform::Date firstLaunchDate(platform::UserDefaults& suite, platform::Date now) {
  if (auto stored = Preferences::storedValue<platform::Date>(suite, firstLaunchDateKey)) return *stored;
  suite.set(firstLaunchDateKey, PlistValue(now));
  return now;
}

std::string previousLaunchedVersion(platform::UserDefaults& suite, const std::string& currentVersion) {
  std::string previous =
      Preferences::storedValue<std::string>(suite, previousLaunchedVersionKey).value_or(currentVersion);
  suite.set(previousLaunchedVersionKey, PlistValue(currentVersion));
  return previous;
}

bool takeWasRelaunched(platform::UserDefaults& suite) {
  const bool value = storedBool(suite, wasRelaunchedKey);
  suite.remove(wasRelaunchedKey);
  return value;
}

bool takeShowsSettingsAfterRelaunch(platform::UserDefaults& suite) {
  if (!storedBool(suite, showsSettingsAfterRelaunchKey)) return false;
  suite.remove(showsSettingsAfterRelaunchKey);
  return true;
}

bool runOnce(const std::string& identifier, platform::UserDefaults& suite) {
  const std::string key = runOncePrefix + identifier;
  if (storedBool(suite, key)) return false;
  suite.set(key, PlistValue(true));
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
