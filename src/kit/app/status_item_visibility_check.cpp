#include "kit/app/status_item_visibility_check.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QSystemTrayIcon>
#include <chrono>
#include <iomanip>
#include <sstream>

#include "kit/app/app_facts.h"
#include "kit/app/debug_info.h"
#include "kit/app/launch_history.h"
#include "kit/app/relaunch.h"
#include "kit/foundation/async_sequences.h"
#include "kit/foundation/general_error.h"
#include "kit/foundation/publisher_streams.h"
#include "kit/foundation/report_error.h"
#include "kit/foundation/system_event_publishers.h"
#include "kit/ui/awaitable_alert.h"
#include "kit/ui/status_item_visibility.h"
#include "platform/core/clock.h"
#include "platform/core/executor.h"
#include "platform/core/sleep.h"
#include "platform/system/screen_lock.h"
#include "platform/system/workspace.h"

namespace kit {

namespace {

using namespace std::chrono_literals;

constexpr const char* diagnosticsRunOnceIdentifier = "ZvKit__check5345342345";

const std::string ordinaryText =
    "Your desktop did not show the menu bar icon. It needs a system tray or status-icon area (on GNOME, an extension "
    "that shows app indicators), and some panels hide icons that do not fit. Try quitting some other menu bar apps."
    "\n\nThis check can have false-positives, so if you can see the menu bar item, enable “Do not show this again”, "
    "and click “OK”.";

// A sleep cut short by a cancellation counts as done: the check goes on.
platform::Task<void> sleepThrough(std::chrono::nanoseconds duration) {
  try {
    co_await platform::sleepFor(duration);
  } catch (const platform::CancellationError&) {
  }
}

std::string durationText(std::chrono::nanoseconds duration) {
  std::ostringstream text;
  text << std::fixed << std::setprecision(3) << std::chrono::duration<double>(duration).count() << " seconds";
  return text.str();
}

}  // namespace

const Preferences::Key<bool>& ensureVisibilityShouldNotShowAgainKey() {
  static const Preferences::Key<bool> key("Zv_NSStatusItem_ensureVisibility_shouldNotShowAgain", false);
  return key;
}

Alert visibilityAlert(const VisibilityCheckOptions& options) {
  std::string text = ordinaryText;
  if (options.additionalMessage) text += "\n\n" + *options.additionalMessage;
  std::vector<std::string> buttons{"OK"};
  if (options.showsOpenSettingsButton) buttons.push_back("Open Settings");
  return makeAlert("Menu Bar Item Did Not Appear", text, std::nullopt, AlertStyle::warning, std::nullopt, buttons,
                   std::nullopt, {}, std::nullopt, options.showsDoNotShowAgainCheckbox, "Do not show this again");
}

bool isScreenLocked() { return platform::ScreenLock::isLocked(); }

platform::Task<void> waitUntilScreenIsUnlocked() {
  // Listening starts before the first look, so an unlock in between is not lost; every signal, whichever it says,
  // leads to a new look.
  auto lockChanges = asyncStream(screenLockPublisher());
  while (isScreenLocked()) {
    if (!co_await firstElement(lockChanges)) co_return;
  }
}

platform::Task<void> checkVisibility(std::function<bool()> isHidden, bool wasLaunchedAtLogin,
                                     VisibilityCheckOptions options) {
  if (Preferences::get(ensureVisibilityShouldNotShowAgainKey())) co_return;
  co_await sleepThrough(wasLaunchedAtLogin ? 20s : 4s);
  co_await waitUntilScreenIsUnlocked();
  co_await sleepThrough(1s);
  // Not hidden also covers an icon the user chose to hide. (Linux has no dark wake to wait out.)
  if (!isHidden()) co_return;
  if (wasLaunchedAtLogin && LaunchHistory::runOnce(diagnosticsRunOnceIdentifier))
    reportEnsureVisibilityDiagnostics(wasLaunchedAtLogin);
  activateApp();
  // Desktop panels tell nobody that they hide themselves (isAutomaticallyToggled), so the gentler text for that case is
  // never chosen.
  const Alert alert = visibilityAlert(options);
  const AlertResponse response = co_await runAlert(alert);
  if (options.showsDoNotShowAgainCheckbox && response.suppressionChecked)
    Preferences::set(ensureVisibilityShouldNotShowAgainKey(), true);
  if (options.showsOpenSettingsButton && response.code == alertFirstButtonReturn + 1) openSettingsOnMainQueue();
}

void ensureVisibility(QSystemTrayIcon& item, bool wasLaunchedAtLogin, const VisibilityCheckOptions& options) {
  QPointer<QSystemTrayIcon> held(&item);
  auto isHidden = [held] { return held && isHiddenFromMenuBar(*held); };
  platform::spawn(platform::mainExecutor(), [isHidden, wasLaunchedAtLogin, options] {
    return checkVisibility(isHidden, wasLaunchedAtLogin, options);
  });
}

void reportEnsureVisibilityDiagnostics(bool wasLaunchedAtLogin) {
  auto& clock = platform::clock();
  platform::Workspace& workspace = platform::Workspace::shared();
  const auto frontmost = workspace.frontmostApplication();
  platform::UserInfo record{
      {"hasMainScreen", QGuiApplication::primaryScreen() != nullptr},
      {"isDarkWake", false},
      {"uptime", durationText(clock.uptime())},
      {"uptimeIncludingSleep", durationText(clock.uptimeIncludingSleep())},
      {"appUptime", DebugInfo::runningTimeText()},
      {"wasLaunchedAtLogin", wasLaunchedAtLogin},
      {"isBartenderRunning", isRunning(workspace, DebugInfo::MenuBarManagers::bartenderBundleIdentifiers)},
      {"isHiddenBarRunning", isRunning(workspace, {DebugInfo::MenuBarManagers::hiddenBar})},
      {"isBarbeeRunning", isRunning(workspace, {DebugInfo::MenuBarManagers::barbee})},
      {"NSStatusBar.isAutomaticallyToggled", isAutomaticallyToggled()},
      {"frontmostapp", frontmost && frontmost->bundleIdentifier ? *frontmost->bundleIdentifier : std::string()},
  };
  ZvApp::reportError(GeneralError("NSStatusItem#ensureVisibility was shown 2"), record);
}

void openSettingsOnMainQueue() {
  platform::mainExecutor().post([] { openSettings(); });
}

double menuBarHeight() {
  constexpr double standardHeight = 24;
  return standardHeight;
}

bool isAutomaticallyToggled() { return false; }

std::optional<double> primaryScreenBottomInset() {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return std::nullopt;
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return std::nullopt;
  const QRect frame = screen->geometry();
  const QRect available = screen->availableGeometry();
  const int inset = (frame.y() + frame.height()) - (available.y() + available.height());
  if (inset == 0) return std::nullopt;
  return inset;
}

}  // namespace kit
