#include "kit/app/debug_info.h"

#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>

#include "kit/app/app_facts.h"
#include "kit/app/duration_formatter.h"
#include "kit/app/keyboard_input_source.h"
#include "kit/app/launch_history.h"
#include "kit/app/preferences_dump.h"
#include "kit/app/system_memory.h"
#include "kit/foundation/log.h"
#include "kit/foundation/ordered_collections.h"
#include "kit/foundation/report_error.h"
#include "kit/foundation/textual_description.h"
#include "kit/foundation/zv_app.h"
#include "platform/core/clock.h"
#include "platform/system/keyboard_layout.h"
#include "platform/system/workspace.h"

namespace kit::DebugInfo {

namespace {

bool isBartenderRunning() {
  return isRunning(platform::Workspace::shared(), MenuBarManagers::bartenderBundleIdentifiers);
}
bool isBartenderLikeRunning() {
  return isRunning(platform::Workspace::shared(), MenuBarManagers::bartenderLikeBundleIdentifiers());
}

std::string languageName(const QLocale& locale) {
  if (locale.language() == QLocale::AnyLanguage || locale.language() == QLocale::C) return "<Unknown>";
  return localizedLanguageName(Locale::posix(), QLocale::languageToCode(locale.language()).toStdString())
      .value_or("<Unknown>");
}

std::string localeText() {
  const QLocale locale = QLocale::system();
  return locale.name().toStdString() + " (" + languageName(locale) + ")";
}

// Qt's calendar on this system is always the Gregorian one.
std::string calendarText() { return "gregorian"; }

int64_t screenCount() {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return 0;
  return QGuiApplication::screens().size();
}

// The scale as a whole number, cut toward zero: 2.0 is 2, 1.5 is 1.
int64_t wholeScale(double scale) {
  if (!std::isfinite(scale)) return 1;
  return static_cast<int64_t>(std::clamp(scale, -9.2e18, 9.2e18));
}

std::string memoryText(Bytes bytes) { return SystemMemory::memoryText(bytes.bytes()); }

template <class Entries>
void addRendered(std::map<std::string, std::string>& rendered, const Entries& entries) {
  for (const auto& [key, value] : entries) rendered[key] = debugInfoEntryText(value);
}

std::map<std::string, std::string> renderedEntries(const std::vector<std::pair<std::string, AnyValue>>& stored,
                                                   const std::vector<std::pair<std::string, Provider>>& providers) {
  std::map<std::string, std::string> result;
  addRendered(result, stored);
  for (const auto& [key, provider] : providers) result[key] = debugInfoEntryText(provider ? provider() : AnyValue());
  return result;
}

}  // namespace

std::vector<std::string> MenuBarManagers::bartenderLikeBundleIdentifiers() {
  std::vector<std::string> ids = bartenderBundleIdentifiers;
  ids.insert(ids.end(), {hiddenBar, barbee, dozer});
  return ids;
}

std::map<std::string, Provider>& debugInfoProviders() {
  static std::map<std::string, Provider> providers;
  return providers;
}

std::map<std::string, AnyValue>& extraDebugInfo() {
  static std::map<std::string, AnyValue> entries;
  return entries;
}

AtomicDictionary<std::string, Provider>& atomicDebugInfoProviders() {
  static AtomicDictionary<std::string, Provider> providers;
  return providers;
}

AtomicDictionary<std::string, AnyValue>& atomicDebugInfo() {
  static AtomicDictionary<std::string, AnyValue> entries;
  return entries;
}

std::string debugInfoEntryText(const AnyValue& value) { return describing(value.unwrappedOrNil()); }

std::string runningTimeText(double seconds) {
  if (!std::isfinite(seconds) || seconds < 0) seconds = 0;
  seconds = std::min(seconds, 9223372036.854776);
  return ZvApp::durationFormatter().string(seconds).value_or("");
}

std::string runningTimeText() {
  const auto elapsed = platform::clock().now() - LaunchFacts::startDate();
  return runningTimeText(std::chrono::duration<double>(elapsed).count());
}

std::optional<int64_t> appMemoryUsage() { return SystemMemory::residentBytes(); }

std::string appMemoryUsageText() {
  auto bytes = appMemoryUsage();
  return bytes ? SystemMemory::memoryText(*bytes) : "<Unavailable>";
}

int64_t availableMemory() {
  auto bytes = SystemMemory::availableBytes();
  // A general failure (5) with empty user info: the report adds where it happened.
  if (!bytes) throw platform::PlatformError(ZvApp::id() + ".memory", 5);
  return *bytes;
}

Bytes remainingAvailableMemory() {
  try {
    return Bytes(availableMemory());
  } catch (const platform::Error& error) {
    ZvApp::reportError(error);
    return Bytes::zero;
  }
}

double primaryScreenScaleFactor() {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()) || QGuiApplication::screens().isEmpty()) return 1.0;
  return QGuiApplication::primaryScreen()->devicePixelRatio();
}

std::string currentKeyboardLayoutText() {
  auto* layout = platform::KeyboardLayout::shared();
  if (!layout) return "<Unknown>";
  return KeyboardInputSource(layout->currentInputSource()).description();
}

std::string menuBarManagerFlagsText() {
  return "Is Bartender Running: " + describing(isBartenderRunning()) +
         "\nIs Bartender-like Running: " + describing(isBartenderLikeRunning());
}

std::map<std::string, std::string> customDebugInfo() {
  std::vector<std::pair<std::string, AnyValue>> stored;
  for (const auto& [key, value] : atomicDebugInfo()) stored.emplace_back(key, value);
  std::vector<std::pair<std::string, Provider>> providers;
  for (const auto& [key, provider] : atomicDebugInfoProviders()) providers.emplace_back(key, provider);
  return renderedEntries(stored, providers);
}

std::string debugInfoText() {
  std::string text;
  text.reserve(321);
  text += "# " + ZvApp::name() + " " + AppFacts::versionWithBuild();
  text += "\n\nBundle Identifier: " + ZvApp::id();
  text += "\nLaunch Count: " + describing(LaunchFacts::launchCount());
  text += "\nRunning Time: " + runningTimeText();
  text += "\nMemory Usage: " + appMemoryUsageText();
  text += "\nRemaining Available Memory: " + memoryText(remainingAvailableMemory());
  text += "\nIs Installed from App Store: " + describing(AppFacts::isInstalledFromAppStore());
  text += "\n\n# Device\n\nOS: " + Device::osDescription();
  text += "\nModel: " + Device::hardwareModel();
  text += "\nArchitecture: " + Device::architecture();
  text += "\nLocale: " + localeText();
  text += "\nCalendar: " + calendarText();
  text += "\nScreens: " + describing(screenCount());
  text += "\nPrimary Screen Scale: " + describing(wholeScale(primaryScreenScaleFactor()));
  text += "\nKeyboard: " + currentKeyboardLayoutText();
  text += "\n" + menuBarManagerFlagsText();
  text += "\n\n# Settings\n\n";
  const auto dump = PreferencesDump::debugInfoDictionary(platform::UserDefaults::standard());
  text += dump.empty() ? std::string("<Empty>") : keyValueLines(dump);
  text += "\n\n# Custom\n\n" + keyValueLines(customDebugInfo());
  text += "\n\n# Logs\n\n```\n";
  const auto lines = debugLogStore().entries();
  if (lines.empty()) {
    text += "<Empty>";
  } else {
    for (size_t i = 0; i < lines.size(); ++i) text += (i ? "\n" : "") + lines[i];
  }
  text += "\n```";
  return text;
}

std::string debugInfo() {
  OrderedDictionary<std::string, AnyValue> lines{
      {"App", ZvApp::name() + " " + AppFacts::versionWithBuild()},
      {"Bundle Identifier", ZvApp::id()},
      {"OS", Device::osDescription()},
      {"Model", Device::hardwareModel()},
      {"Architecture", Device::architecture()},
      {"Locale", localeText()},
      {"Calendar", calendarText()},
      {"Screens", screenCount()},
      {"Primary Screen Scale", wholeScale(primaryScreenScaleFactor())},
      {"App Memory Usage", appMemoryUsageText()},
      {"Remaining Available Memory", memoryText(remainingAvailableMemory())},
  };
  lines.set("App Store", AppFacts::isInstalledFromAppStore());
  lines.set("Keyboard", currentKeyboardLayoutText());
  lines.set("Is Bartender Running", isBartenderRunning());
  lines.set("Is Bartender-like Running", isBartenderLikeRunning());
  const std::vector<std::pair<std::string, AnyValue>> extra(extraDebugInfo().begin(), extraDebugInfo().end());
  const std::vector<std::pair<std::string, Provider>> providers(debugInfoProviders().begin(),
                                                                debugInfoProviders().end());
  for (const auto& [key, value] : renderedEntries(extra, providers)) lines.set(key, value);
  return keyValueLines(lines);
}

}  // namespace kit::DebugInfo
