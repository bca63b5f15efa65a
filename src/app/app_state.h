#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/menu_bar_controller.h"
#include "kit/foundation/bundle_identifier.h"

namespace app {

// The state that lives for the whole process: the status item's controller and the launch step.
class AppState {
 public:
  // Made on first use on the main thread; never released.
  static AppState& shared();

  MenuBarController& menuBarController() { return *menuBarController_; }

  // The launch step, queued by the constructor after the controller's start: registers the debug-info entries
  // and, on the very first launch, turns on "_forceUsingFrontmostApp".
  void didLaunch();

 private:
  AppState();
  std::unique_ptr<MenuBarController> menuBarController_;
};

// The excluded applications as a list in the words of the current locale: in English "a", "a and b", "a, b, and c".
std::string excludedAppsText(const std::vector<kit::BundleIdentifier>& apps);

}  // namespace app
