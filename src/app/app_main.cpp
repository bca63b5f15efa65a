#include "app/app_main.h"

#include <QApplication>
#include <chrono>

#include "app/app_state.h"
#include "app/settings_window.h"
#include "kit/app/zv_kit.h"
#include "platform/core/executor.h"

namespace app {

namespace {
constexpr std::chrono::seconds revealDuration{5};
}

bool AppDelegate::applicationShouldHandleReopen(bool) {
  platform::mainExecutor().post([] {
    auto& controller = AppState::shared().menuBarController();
    controller.showStatusItem();
    platform::mainExecutor().postAfter(revealDuration,
                                       [] { AppState::shared().menuBarController().hideStatusItemIfNeeded(); });
  });
  return false;
}

AppMain::AppMain(AppDelegate& appDelegate) : zvkit_(kit::ZvKit::shared()), appDelegate_(appDelegate) {
  installSettingsWindow();
}

int AppMain::run() {
  (void)zvkit_;
  AppState::shared();
  return QApplication::exec();
}

}  // namespace app
