#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "kit/preferences/key.h"
#include "platform/core/clock.h"
#include "platform/prefs/user_defaults.h"

// What the kit remembers of earlier runs, in a preferences suite (the standard one in the program). Each
// operation reads and rewrites its key at once; the process-wide facts below call them once per launch. Each key
// reads as a preference of its type does, also from text holding its bare JSON ("10" for the count).
namespace kit::LaunchHistory {

// The keys, typed, on a suite; making one registers its default there.
Preferences::Key<int64_t> launchCountKey(platform::UserDefaults& suite = platform::UserDefaults::standard());
Preferences::Key<std::optional<platform::Date>> firstLaunchDateKey(
    platform::UserDefaults& suite = platform::UserDefaults::standard());
Preferences::Key<std::optional<std::string>> previousLaunchedVersionKey(
    platform::UserDefaults& suite = platform::UserDefaults::standard());
Preferences::Key<bool> wasRelaunchedKey(platform::UserDefaults& suite = platform::UserDefaults::standard());
Preferences::Key<bool> showsSettingsAfterRelaunchKey(
    platform::UserDefaults& suite = platform::UserDefaults::standard());
// Run-once flags are plain Booleans under this prefix and their identifier.
inline constexpr const char* runOncePrefix = "Zv_App_runOnce__";

// Adds one to the stored count, whatever its sign (a missing count, or one that does not read as an integer, is 0;
// the sum stops at the largest integer) and answers the new count.
int64_t countLaunch(platform::UserDefaults& suite);
// The stored first-launch date; when none is stored, `now`, which is stored at once.
platform::Date firstLaunchDate(platform::UserDefaults& suite, platform::Date now);
// The version stored by the launch before (`currentVersion` when none); stores `currentVersion`.
std::string previousLaunchedVersion(platform::UserDefaults& suite, const std::string& currentVersion);
// The stored relaunch marker, which is removed.
bool takeWasRelaunched(platform::UserDefaults& suite);
// The stored request to open the settings window after a relaunch, which is removed when it was set.
bool takeShowsSettingsAfterRelaunch(platform::UserDefaults& suite);
// True the first time it is asked for an identifier in this installation, false afterwards.
bool runOnce(const std::string& identifier, platform::UserDefaults& suite = platform::UserDefaults::standard());

}  // namespace kit::LaunchHistory

// The launch facts of this process, each taken once. The kit's start-up reads them in this order so that
// they hold launch-time values: launchCount, firstLaunchDate, startDate, previousLaunchedVersion,
// freeMemoryAtLaunch, wasRelaunched.
namespace kit::LaunchFacts {

int64_t launchCount();  // the count after this launch's increment, counted on first use
bool isFirstLaunch();
platform::Date firstLaunchDate();
platform::Date startDate();
const std::string& previousLaunchedVersion();
int64_t freeMemoryAtLaunch();
bool wasRelaunched();

}  // namespace kit::LaunchFacts
