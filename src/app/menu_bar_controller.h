#pragma once

#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "app/status_item.h"
#include "kit/ui/menu.h"
#include "platform/core/rx.h"
#include "platform/core/task.h"

namespace engine {
class PasteboardController;
}

namespace app {

// Owns the tray icon and its menu for the whole run: reveals the icon at start, dims it while automatic clearing is
// off if "dimMenuBarIconWhenDisabled" is on, and routes its clicks. Main thread only.
class MenuBarController : public QObject {
  Q_OBJECT

 public:
  // Queues start() on the main queue. Without an engine the shared one is used.
  explicit MenuBarController(engine::PasteboardController* engine = nullptr);
  ~MenuBarController() override;

  // Whether this is the first launch (the welcome is shown then); the kit's launch count by default.
  std::function<bool()> isFirstLaunch;
  // Opens the developer debug window from the "Debug" item.
  std::function<void()> showDebugWindow;
  // Starts the check that the desktop really shows the icon (given the icon).
  std::function<void(QSystemTrayIcon&)> ensureVisibility;
  // How long a revealed icon stays when "hideMenuBarIcon" is on.
  std::chrono::milliseconds revealDuration{std::chrono::seconds(5)};

  kit::ZvMenu& menu() { return *menu_; }
  // Made and configured on first use.
  QSystemTrayIcon& statusItem();
  engine::PasteboardController& engine();

  // Brings up the icon, its menu and the engine; logs whether keys can be posted when a clearing shortcut needs it.
  void start();
  // Flips "automaticallyClearFormatting".
  void primaryAction();
  void showStatusItem();
  void hideStatusItemIfNeeded();
  // Shows the icon, and hides it again `revealDuration` after the latest reveal when "hideMenuBarIcon" is on then:
  // at start, and when the running program is launched again.
  void revealStatusItem();
  bool isStatusItemVisible() const { return statusItem_ && statusItem_->isVisible(); }
  void updateIconAppearance();
  void startObserving();
  bool isIconDimmed() const { return isIconDimmed_; }

  // What a click does; the tray's activations arrive here.
  void handleStatusItemClick(StatusItemClick click, uint64_t modifierFlags);
  // Opens the menu at the icon (or at the pointer when the tray tells no position).
  void showMenu();

 private:
  void configureStatusItem(QSystemTrayIcon& item);
  // What the clearing shortcuts need to post their keys: only said in the log.
  static void requestPostEventAccess();
  void applyIcon();

  // The tray's activations: a left click, and a right click's press (an embedding tray reports it at the press, and
  // the release comes to the icon's window later) or its whole click (a StatusNotifierItem host calls once the
  // button is up).
  void statusItemActivated(QSystemTrayIcon::ActivationReason reason);
  void awaitSecondaryRelease();
  bool eventFilter(QObject* watched, QEvent* event) override;

  engine::PasteboardController* engine_;
  std::unique_ptr<kit::ZvMenu> menu_;
  std::unique_ptr<QSystemTrayIcon> statusItem_;
  bool isIconDimmed_ = false;
  bool panelIsDark_ = false;
  bool awaitsSecondaryRelease_ = false;
  // The window of the icon in an embedding tray, once a right click has shown which it is.
  QPointer<QObject> iconWindow_;
  uint64_t revealCount_ = 0;
  platform::rx::AnyCancellable appearanceChanges_;
  std::vector<platform::Task<>> observingTasks_;
};

}  // namespace app
