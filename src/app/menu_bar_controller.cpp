#include "app/menu_bar_controller.h"

#include "engine/pasteboard_controller.h"
#include "engine/preference_keys.h"
#include "kit/foundation/log.h"
#include "platform/core/executor.h"

namespace app {

MenuBarController::MenuBarController() {
  platform::mainExecutor().post([this] { start(); });
}

void MenuBarController::start() {
  engine::PasteboardController::shared();
  showStatusItem();
}

void MenuBarController::showStatusItem() {
  statusItemVisible_ = true;
  kit::log({"Status item shown"}, kit::LogType::info, "showStatusItem()");
}

void MenuBarController::hideStatusItemIfNeeded() {
  if (!kit::Preferences::get(kit::Preferences::Keys::hideMenuBarIcon())) return;
  statusItemVisible_ = false;
  kit::log({"Status item hidden"}, kit::LogType::info, "hideStatusItemIfNeeded()");
}

}  // namespace app
