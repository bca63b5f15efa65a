#pragma once

#include <functional>
#include <optional>
#include <string>

#include "kit/foundation/alert.h"
#include "kit/preferences/key.h"
#include "platform/core/task.h"

class QSystemTrayIcon;

// Telling the user when the desktop does not show the tray icon, which would leave the program running unseen.
namespace kit {

// True once the user asked not to be told again; never set back.
const Preferences::Key<bool>& ensureVisibilityShouldNotShowAgainKey();

struct VisibilityCheckOptions {
  // Added to the alert's text after a blank line.
  std::optional<std::string> additionalMessage;
  // Adds "Open Settings", which opens the settings window.
  bool showsOpenSettingsButton = false;
  // Adds the check box "Do not show this again".
  bool showsDoNotShowAgainCheckbox = false;
};

// "Menu Bar Item Did Not Appear", with the buttons and the check box the options ask for.
Alert visibilityAlert(const VisibilityCheckOptions& options);

// Whether the session's screen is locked; unlocked when the session does not say. Main thread.
bool isScreenLocked();

// Ends once the screen is unlocked, at once when it is not locked. Every lock or unlock signal leads to a new
// look at the lock, so a signal that arrives while it is being read is never missed. Main thread.
platform::Task<void> waitUntilScreenIsUnlocked();

// The check, once per launch, unless the user switched it off: 4 seconds after the start (20 after a start at
// login), then once the screen is unlocked, then 1 second more; if `isHidden` then answers true, the alert.
// The first time this happens after a start at login on this installation, a diagnostics report goes first.
platform::Task<void> checkVisibility(std::function<bool()> isHidden, bool wasLaunchedAtLogin,
                                     VisibilityCheckOptions options);

// Starts the check for the tray icon and returns at once; the check ends quietly if the icon goes away meanwhile.
void ensureVisibility(QSystemTrayIcon& item, bool wasLaunchedAtLogin, const VisibilityCheckOptions& options);

// Reports what the desktop looked like when the icon was found hidden after a start at login.
void reportEnsureVisibilityDiagnostics(bool wasLaunchedAtLogin);

// Queues the opening of the settings window on the main queue.
void openSettingsOnMainQueue();

// The height a menu bar at the top of the primary screen is expected to have: 24 points, and 33 only on a screen with
// an area beside a camera housing in its top edge, which no screen here reports.
double menuBarHeight();
// Whether the menu bar hides itself. Desktop panels sit at any edge, or nowhere, and do not say whether they hide, so
// no room reserved at the top tells nothing here: never.
bool isAutomaticallyToggled();

// The room a panel takes at the bottom of the primary screen (the screen's geometry against its available geometry,
// in device-independent pixels); none without a screen or when nothing takes room there.
std::optional<double> primaryScreenBottomInset();

}  // namespace kit
