#include "app/app_main.h"

#include <QApplication>

#include "app/app_state.h"
#include "app/settings_window.h"
#include "app/shortcut_commands.h"
#include "engine/pasteboard_controller.h"
#include "kit/app/zv_kit.h"
#include "kit/foundation/log.h"
#include "platform/core/executor.h"
#include "platform/pasteboard/pasteboard.h"

namespace app {

bool AppDelegate::applicationShouldHandleReopen(bool) {
  platform::mainExecutor().post([] { AppState::shared().menuBarController().revealStatusItem(); });
  return false;
}

AppMain::AppMain(AppDelegate& appDelegate) : zvkit_(kit::ZvKit::shared()), appDelegate_(appDelegate) {
  installSettingsWindow();
}

int AppMain::run() {
  (void)zvkit_;
  bindShortcutCommands(engine::PasteboardController::shared());
  AppState::shared();
  const int status = QApplication::exec();
  if (!platform::generalPasteboard().keepContentAfterExit()) {
    kit::log({"The last copy could not be kept for a paste after quitting"}, kit::LogType::error);
  }
  return status;
}

}  // namespace app
