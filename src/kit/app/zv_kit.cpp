#include "kit/app/zv_kit.h"

#include <QGuiApplication>
#include <QTimer>
#include <QWindow>
#include <atomic>
#include <mutex>

#include "kit/app/attachments_folder.h"
#include "kit/app/data_reset.h"
#include "kit/app/launch_at_login.h"
#include "kit/app/launch_history.h"
#include "kit/app/relaunch.h"
#include "kit/app/user_debug_window.h"
#include "platform/system/input_monitors.h"

namespace kit {

namespace {

std::atomic<bool> finishedKitLaunch{false};
std::mutex firstFrameMutex;
std::optional<platform::Rect> firstFrame;

void takeLaunchFacts() {
  LaunchFacts::launchCount();
  LaunchFacts::firstLaunchDate();
  LaunchFacts::startDate();
  LaunchFacts::previousLaunchedVersion();
  LaunchFacts::freeMemoryAtLaunch();
  LaunchFacts::wasRelaunched();
}

void takeFinishedLaunchingFacts() {
  LaunchFacts::launchEvent();
  LaunchFacts::launchingProcessID();
  LaunchFacts::launchingApplication();
  LaunchFacts::wasLaunchedAtLogin();
}

// The first window that becomes active after the first second of the run.
void recordFirstMainWindow() {
  auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  if (!application) return;
  QTimer::singleShot(std::chrono::seconds(1), application, [application] {
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection =
        QObject::connect(application, &QGuiApplication::focusWindowChanged, application, [connection](QWindow* window) {
          if (!window) return;
          const QRect frame = window->frameGeometry();
          {
            std::lock_guard lock(firstFrameMutex);
            firstFrame =
                platform::Rect{double(frame.x()), double(frame.y()), double(frame.width()), double(frame.height())};
          }
          QObject::disconnect(*connection);
        });
  });
}

}  // namespace

const ZvKit::Metadata& ZvKit::Metadata::current() {
  static const Metadata metadata{.website = *platform::Url::parse("https://kestrova.com/quillet"), .appStoreId = {}};
  return metadata;
}

KitLaunchHooks& kitLaunchHooks() {
  static KitLaunchHooks hooks{
      .showUserDebugWindow = [] { UserDebugWindowController::showWindow(); },
      .offerDataResetAtLaunch =
          [] { confirmDeleteSettingsAndDataAtLaunch(platform::InputMonitors::currentModifierFlags()); },
      // A tray program has no main menu for a "Debug" menu: reading the chord now keeps it for the status menu.
      .addDebugMenuIfNeeded = [] { (void)isDebugModifierChordHeld(); },
  };
  return hooks;
}

std::vector<std::function<void()>>& finishLaunchingHandlers() {
  static std::vector<std::function<void()>> handlers;
  return handlers;
}

ZvKit& ZvKit::shared() {
  static ZvKit* kit = new ZvKit(Environment{
      platform::UserDefaults::standard(), platform::InputMonitors::currentModifierFlags(), platform::mainExecutor(),
      takeLaunchFacts, takeFinishedLaunchingFacts, removalOfOldAttachments()});  // never released
  return *kit;
}

ZvKit::ZvKit(const Environment& environment) {
  if (environment.takeLaunchFacts) environment.takeLaunchFacts();

  if (LaunchChord::isHeld(LaunchChord::userDebugWindow, environment.modifierFlags)) {
    environment.mainQueue.post([] {
      if (kitLaunchHooks().showUserDebugWindow) kitLaunchHooks().showUserDebugWindow();
    });
  }
  environment.mainQueue.post([] {
    if (kitLaunchHooks().offerDataResetAtLaunch) kitLaunchHooks().offerDataResetAtLaunch();
  });
  environment.mainQueue.post([takeFinishedLaunchingFacts = environment.takeFinishedLaunchingFacts] {
    if (takeFinishedLaunchingFacts) takeFinishedLaunchingFacts();
    finishedKitLaunch = true;
    for (const auto& handler : finishLaunchingHandlers()) handler();
    if (kitLaunchHooks().addDebugMenuIfNeeded) kitLaunchHooks().addDebugMenuIfNeeded();
  });

  recordFirstMainWindow();
  if (environment.removeLeftovers)
    platform::globalExecutor(platform::Priority::background).post(environment.removeLeftovers);

  if (LaunchHistory::takeShowsSettingsAfterRelaunch(environment.suite))
    environment.mainQueue.post([] { openSettings(); });
}

bool isDebugModifierChordHeld() {
  static const bool held = LaunchChord::isHeld(LaunchChord::debugMenu, platform::InputMonitors::currentModifierFlags());
  return held;
}

bool didFinishKitLaunch() { return finishedKitLaunch; }

std::optional<platform::Rect> firstMainWindowFrame() {
  std::lock_guard lock(firstFrameMutex);
  return firstFrame;
}

}  // namespace kit
