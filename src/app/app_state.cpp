#include "app/app_state.h"

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
  std::string text;
  for (size_t i = 0; i < apps.size(); ++i) {
    if (i > 0) text += apps.size() == 2 ? " and " : (i + 1 == apps.size() ? ", and " : ", ");
    text += apps[i].rawValue;
  }
  return text;
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
