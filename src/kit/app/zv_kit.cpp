#include "kit/app/zv_kit.h"

#include <QGuiApplication>
#include <QPointer>
#include <QWindow>
#include <atomic>
#include <mutex>
#include <vector>

#include "kit/app/attachments_folder.h"
#include "kit/app/data_reset.h"
#include "kit/app/launch_at_login.h"
#include "kit/app/launch_history.h"
#include "kit/app/relaunch.h"
#include "kit/app/user_debug_window.h"
#include "kit/foundation/async_sequences.h"
#include "platform/core/async_stream.h"
#include "platform/core/sleep.h"
#include "platform/core/task.h"
#include "platform/system/input_monitors.h"

namespace kit {

namespace {

std::atomic<bool> finishedKitLaunch{false};
std::mutex firstFrameMutex;
std::optional<platform::Rect> firstFrame;

void takeLaunchFacts() {
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

// A window that can become the main window: a normal top-level window (the settings, debug or share window), never a
// menu, popup, tooltip, panel or alert.
bool canBecomeMain(const QWindow& window) { return window.type() == Qt::Window; }

// The first-window stream's state, held for the life of the process as the kit is: in a run where no window ever opens,
// the wait below is still pending at exit and must stay reachable rather than be reported as lost.
void keepForTheProcess(std::shared_ptr<void> state) {
  static auto* kept = new std::vector<std::shared_ptr<void>>;  // never released
  kept->push_back(std::move(state));
}

// The windows that become the main window from now on, each time one of them takes the focus. Listening ends with
// the stream.
platform::AsyncStream<QPointer<QWindow>> windowsBecomingMain(QGuiApplication& application) {
  auto made = platform::AsyncStream<QPointer<QWindow>>::makeStream();
  auto continuation = std::move(made.second);
  keepForTheProcess(std::make_shared<decltype(continuation)>(continuation));
  auto listening = std::make_shared<QMetaObject::Connection>(
      QObject::connect(&application, &QGuiApplication::focusWindowChanged, [continuation](QWindow* window) {
        if (window && canBecomeMain(*window)) continuation.yield(QPointer<QWindow>(window));
      }));
  continuation.onTermination([listening](platform::StreamTermination) { QObject::disconnect(*listening); });
  return std::move(made.first);
}

// Waits a second, then for the first window to become the main window, and keeps its frame (once per run).
platform::Task<void> recordFirstMainWindow(QGuiApplication& application) {
  try {
    co_await platform::sleepFor(std::chrono::seconds(1));
  } catch (const platform::CancellationError&) {
  }
  const auto window = co_await firstElement(windowsBecomingMain(application));
  if (!window || !*window) co_return;
  const QRect frame = (*window)->frameGeometry();
  std::lock_guard lock(firstFrameMutex);
  if (!firstFrame)
    firstFrame = platform::Rect{double(frame.x()), double(frame.y()), double(frame.width()), double(frame.height())};
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

ZvKit::ZvKit(const Environment& environment)
    // The standard suite's count is the process's launch fact, counted once however many kits read it.
    : launchCount_(&environment.suite == &platform::UserDefaults::standard()
                       ? LaunchFacts::launchCount()
                       : LaunchHistory::countLaunch(environment.suite)) {
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

  if (auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
    platform::spawn(platform::mainExecutor(), [application] { return recordFirstMainWindow(*application); });
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
