#include "app/app_state.h"

#include <QLocale>
#include <QStringList>

#include "engine/preference_keys.h"
#include "engine/shortcut_names.h"
#include "kit/app/debug_info.h"
#include "kit/app/debug_window.h"
#include "kit/app/launch_at_login.h"
#include "kit/app/launch_history.h"
#include "kit/app/status_item_visibility_check.h"
#include "kit/shortcuts/storage.h"
#include "platform/core/executor.h"

namespace app {

namespace Keys = kit::Preferences::Keys;
using kit::DebugInfo::Provider;

namespace {

void addSettingsDebugInfo(const std::vector<const kit::Preferences::Key<bool>*>& keys) {
  for (const auto* key : keys)
    kit::DebugInfo::debugInfoProviders()["Setting - " + key->name()] = [key] { return kit::Preferences::get(*key); };
}

// Entries that feed both the compact lines and the Custom section of the text.
void addDebugInfoToBoth(const std::string& name, Provider provider) {
  kit::DebugInfo::debugInfoProviders()[name] = provider;
  kit::DebugInfo::atomicDebugInfoProviders().set(name, std::move(provider));
}

}  // namespace

std::string excludedAppsText(const std::vector<kit::BundleIdentifier>& apps) {
  QLocale locale;
  // The C locale has no words of its own to join a list with; it reads as English, as it does everywhere else.
  if (locale.language() == QLocale::C) locale = QLocale(QLocale::English, QLocale::UnitedStates);
  QStringList names;
  for (const kit::BundleIdentifier& app : apps) names << QString::fromStdString(app.rawValue);
  return locale.createSeparatedList(names).toStdString();
}

AppState& AppState::shared() {
  static AppState* state = new AppState();  // never released
  return *state;
}

AppState::AppState() : menuBarController_(std::make_unique<MenuBarController>()) {
  menuBarController_->showDebugWindow = [] { kit::DebugWindowController::showWindow(); };
  menuBarController_->ensureVisibility = [](QSystemTrayIcon& item) {
    kit::ensureVisibility(item, kit::LaunchFacts::wasLaunchedAtLogin(),
                          {.showsOpenSettingsButton = true, .showsDoNotShowAgainCheckbox = true});
  };
  platform::mainExecutor().post([this] { didLaunch(); });  // the state lives as long as the program
}

void AppState::didLaunch() {
  addSettingsDebugInfo({&Keys::automaticallyClearFormatting(), &Keys::preserveLinks(),
                        &Keys::transformTextWithJavaScript(), &Keys::normalizeUnorderedLists(),
                        &Keys::_forceUsingFrontmostApp()});
  addDebugInfoToBoth("Setting - excludedApps",
                     [] { return excludedAppsText(kit::Preferences::get(Keys::excludedApps())); });
  addDebugInfoToBoth("Has Shortcut - copyAndClearFormatting", [] {
    return kit::GlobalShortcuts::getShortcut(kit::GlobalShortcuts::Names::copyAndClearFormatting()).has_value();
  });
  addDebugInfoToBoth("Has Shortcut - clearFormattingAndPaste", [] {
    return kit::GlobalShortcuts::getShortcut(kit::GlobalShortcuts::Names::clearFormatting()).has_value();
  });
  if (kit::LaunchFacts::isFirstLaunch()) kit::Preferences::set(Keys::_forceUsingFrontmostApp(), true);
}

}  // namespace app
