#include "kit/app/debug_info.h"

#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <chrono>
#include <cmath>
#include <limits>

#include "kit/app/app_facts.h"
#include "kit/app/launch_history.h"
#include "kit/app/preferences_dump.h"
#include "kit/app/system_memory.h"
#include "kit/foundation/log.h"
#include "kit/foundation/ordered_collections.h"
#include "kit/foundation/report_error.h"
#include "kit/foundation/zv_app.h"
#include "platform/core/clock.h"
#include "platform/system/keyboard_layout.h"
#include "platform/system/workspace.h"

namespace kit::DebugInfo {

namespace {

std::string rendered(const std::optional<std::string>& value) { return value ? *value : "<nil>"; }

std::string flag(bool value) { return value ? "true" : "false"; }

bool isBartenderRunning() { return isRunning(platform::Workspace::shared(), MenuBarManagers::bartender); }
bool isBartenderLikeRunning() { return isRunning(platform::Workspace::shared(), MenuBarManagers::bartenderLike()); }

std::string localeText() {
  const QLocale locale = QLocale::system();
  const std::string language = locale.language() == QLocale::AnyLanguage || locale.language() == QLocale::C
                                   ? std::string("<Unknown>")
                                   : QLocale::languageToString(locale.language()).toStdString();
  return locale.name().toStdString() + " (" + language + ")";
}

// Qt's calendar on this system is always the Gregorian one.
std::string calendarText() { return "gregorian"; }

int64_t screenCount() {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return 0;
  return QGuiApplication::screens().size();
}

int64_t primaryScreenScale() {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()) || QGuiApplication::screens().isEmpty()) return 1;
  const double scale = QGuiApplication::primaryScreen()->devicePixelRatio();
  if (!std::isfinite(scale)) return 1;
  return static_cast<int64_t>(std::clamp(scale, -9.2e18, 9.2e18));
}

std::map<std::string, std::string> renderedEntries(const std::map<std::string, std::optional<std::string>>& stored,
                                                   const std::map<std::string, Provider>& providers) {
  std::map<std::string, std::string> result;
  for (const auto& [key, value] : stored) result[key] = rendered(value);
  for (const auto& [key, provider] : providers) result[key] = rendered(provider ? provider() : std::nullopt);
  return result;
}

}  // namespace

std::vector<std::string> MenuBarManagers::bartenderLike() {
  std::vector<std::string> ids = bartender;
  ids.insert(ids.end(), {hiddenBar, barbee, dozer});
  return ids;
}

std::map<std::string, Provider>& debugInfoProviders() {
  static std::map<std::string, Provider> providers;
  return providers;
}

std::map<std::string, std::optional<std::string>>& extraDebugInfo() {
  static std::map<std::string, std::optional<std::string>> entries;
  return entries;
}

AtomicDictionary<std::string, Provider>& atomicDebugInfoProviders() {
  static AtomicDictionary<std::string, Provider> providers;
  return providers;
}

AtomicDictionary<std::string, std::optional<std::string>>& atomicDebugInfo() {
  static AtomicDictionary<std::string, std::optional<std::string>> entries;
  return entries;
}

std::string runningTimeText(double seconds) {
  if (!std::isfinite(seconds) || seconds < 0) seconds = 0;
  seconds = std::min(seconds, 9223372036.854776);
  auto total = static_cast<int64_t>(seconds);
  const int64_t days = total / 86400, hours = total / 3600 % 24, minutes = total / 60 % 60, rest = total % 60;
  std::string text;
  if (days) text += std::to_string(days) + "d ";
  if (days || hours) text += std::to_string(hours) + "h ";
  if (days || hours || minutes) text += std::to_string(minutes) + "m ";
  return text + std::to_string(rest) + "s";
}

std::string runningTimeText() {
  const auto elapsed = platform::clock().now() - LaunchFacts::startDate();
  return runningTimeText(std::chrono::duration<double>(elapsed).count());
}

std::string appMemoryUsageText() {
  auto bytes = SystemMemory::residentBytes();
  return bytes ? SystemMemory::memoryText(*bytes) : "<Unavailable>";
}

std::string remainingAvailableMemoryText() {
  auto bytes = SystemMemory::availableBytes();
  if (!bytes) {
    ZvApp::reportError(platform::PlatformError(ZvApp::id() + ".memory", 5,
                                               {{"description", std::string("MemAvailable is not in /proc/meminfo")}}));
    return SystemMemory::memoryText(0);
  }
  return SystemMemory::memoryText(*bytes);
}

std::string currentKeyboardLayoutText() {
  auto* layout = platform::KeyboardLayout::shared();
  if (!layout) return "<Unknown>";
  std::string text = layout->layoutDescription();
  return text.empty() ? "<Unknown>" : text;
}

std::map<std::string, std::string> customDebugInfo() {
  std::map<std::string, std::optional<std::string>> stored;
  for (const auto& [key, value] : atomicDebugInfo()) stored[key] = value;
  std::map<std::string, Provider> providers;
  for (const auto& [key, provider] : atomicDebugInfoProviders()) providers[key] = provider;
  return renderedEntries(stored, providers);
}

std::string debugInfoText() {
  std::string text;
  text.reserve(321);
  text += "# " + AppFacts::name() + " " + AppFacts::versionWithBuild();
  text += "\n\nBundle Identifier: " + ZvApp::id();
  text += "\nLaunch Count: " + std::to_string(LaunchFacts::launchCount());
  text += "\nRunning Time: " + runningTimeText();
  text += "\nMemory Usage: " + appMemoryUsageText();
  text += "\nRemaining Available Memory: " + remainingAvailableMemoryText();
  text += "\nIs Installed from App Store: " + flag(AppFacts::isInstalledFromAppStore());
  text += "\n\n# Device\n\nOS: " + Device::osDescription();
  text += "\nModel: " + Device::hardwareModel();
  text += "\nArchitecture: " + Device::architecture();
  text += "\nLocale: " + localeText();
  text += "\nCalendar: " + calendarText();
  text += "\nScreens: " + std::to_string(screenCount());
  text += "\nPrimary Screen Scale: " + std::to_string(primaryScreenScale());
  text += "\nKeyboard: " + currentKeyboardLayoutText();
  text += "\nIs Bartender Running: " + flag(isBartenderRunning());
  text += "\nIs Bartender-like Running: " + flag(isBartenderLikeRunning());
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
  OrderedDictionary<std::string, std::string> lines{
      {"App", AppFacts::name() + " " + AppFacts::versionWithBuild()},
      {"Bundle Identifier", ZvApp::id()},
      {"OS", Device::osDescription()},
      {"Model", Device::hardwareModel()},
      {"Architecture", Device::architecture()},
      {"Locale", localeText()},
      {"Calendar", calendarText()},
      {"Screens", std::to_string(screenCount())},
      {"Primary Screen Scale", std::to_string(primaryScreenScale())},
      {"App Memory Usage", appMemoryUsageText()},
      {"Remaining Available Memory", remainingAvailableMemoryText()},
  };
  lines.set("App Store", flag(AppFacts::isInstalledFromAppStore()));
  lines.set("Keyboard", currentKeyboardLayoutText());
  lines.set("Is Bartender Running", flag(isBartenderRunning()));
  lines.set("Is Bartender-like Running", flag(isBartenderLikeRunning()));
  for (const auto& [key, value] : renderedEntries(extraDebugInfo(), debugInfoProviders())) lines.set(key, value);
  return keyValueLines(lines);
}

}  // namespace kit::DebugInfo
