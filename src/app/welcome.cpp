#include "app/welcome.h"

#include <QPointer>

#include "kit/foundation/bundle_identifier.h"
#include "kit/ui/welcome_popover.h"
#include "platform/core/executor.h"

namespace app {

kit::Alert welcomeAlert() {
  return kit::makeAlert(
      "Welcome to Quillet!",
      "\nQuillet sits in the background and clears formatting from text you copy so you can always paste as plain "
      "text. You can also choose to manually clear formatting.\n\nIf you have any feedback, bug reports, or feature "
      "requests, use the feedback button in the app. I quickly respond to all submissions.",
      std::nullopt, kit::AlertStyle::warning, std::nullopt, {"Get Started"}, -1, {}, 320);
}

void showWelcomeScreenIfNeeded(bool isFirstLaunch, QSystemTrayIcon& statusItem) {
  if (!isFirstLaunch) return;
  kit::activateApp();
  kit::alertPresenter().runModal(welcomeAlert());
  if (kit::BundleIdentifier("com.microsoft.Excel").isInstalled()) {
    kit::alertPresenter().runModal(kit::makeAlert(
        "Excel incompatibility",
        "Excel does a lot of weird things with the clipboard, so it's not fully compatible with Quillet. You can "
        "either add it to the exclude list in the settings or turn off automatic format clearing and set a “clear "
        "formatting and paste” keyboard shortcut instead."));
  }
  platform::spawn(platform::mainExecutor(), [item = QPointer(&statusItem)]() -> platform::Task<void> {
    if (item) co_await kit::showWelcomePopover(*item);
  });
}

}  // namespace app
