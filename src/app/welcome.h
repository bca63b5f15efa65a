#pragma once

#include <QSystemTrayIcon>

#include "kit/foundation/alert.h"

namespace app {

// The welcome alert of the first launch, as the user sees it on Linux.
kit::Alert welcomeAlert();

// On the first launch only: brings the application forward, shows the welcome alert (and the spreadsheet
// warning when that application is installed), then points at the tray icon. Returns once the alerts are closed.
void showWelcomeScreenIfNeeded(bool isFirstLaunch, QSystemTrayIcon& statusItem);

}  // namespace app
