#include "app/app_main.h"

#include <QApplication>

#include "app/app_state.h"
#include "app/settings_window.h"
#include "app/shortcut_commands.h"
#include "engine/pasteboard_controller.h"
#include "kit/app/zv_kit.h"
#include "platform/core/executor.h"

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
  return QApplication::exec();
}

}  // namespace app
