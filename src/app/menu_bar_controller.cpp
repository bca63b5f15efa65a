#include "app/menu_bar_controller.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMetaObject>
#include <QTimer>

#include "app/status_bar_menu.h"
#include "app/status_item_icon.h"
#include "app/welcome.h"
#include "engine/pasteboard_controller.h"
#include "engine/preference_keys.h"
#include "engine/shortcut_names.h"
#include "kit/app/launch_history.h"
#include "kit/app/standard_menu.h"
#include "kit/app/zv_kit.h"
#include "kit/foundation/log.h"
#include "kit/foundation/zv_app.h"
#include "kit/preferences/observation.h"
#include "kit/shortcuts/recorder.h"
#include "kit/shortcuts/storage.h"
#include "kit/ui/dark_mode.h"
#include "platform/core/executor.h"
#include "platform/system/input_monitors.h"
#include "platform/system/synthetic_keys.h"

namespace app {

namespace {

namespace Keys = kit::Preferences::Keys;

}  // namespace

MenuBarController::MenuBarController(engine::PasteboardController* engine)
    : engine_(engine), menu_(std::make_unique<kit::ZvMenu>()) {
  menu_->setObjectName("statusBarMenu");
  isFirstLaunch = [] { return kit::LaunchFacts::isFirstLaunch(); };
  QMetaObject::invokeMethod(this, &MenuBarController::start, Qt::QueuedConnection);
}

MenuBarController::~MenuBarController() = default;

engine::PasteboardController& MenuBarController::engine() {
  return engine_ ? *engine_ : engine::PasteboardController::shared();
}

QSystemTrayIcon& MenuBarController::statusItem() {
  if (!statusItem_) {
    statusItem_ = std::make_unique<QSystemTrayIcon>();
    configureStatusItem(*statusItem_);
  }
  return *statusItem_;
}

void MenuBarController::configureStatusItem(QSystemTrayIcon& item) {
  // The icon follows the appearance: the desktop's colour scheme, else the palette.
  panelIsDark_ = kit::isDarkMode();
  appearanceChanges_ = kit::darkModeChanges().sink([this](bool isDark) {
    panelIsDark_ = isDark;
    applyIcon();
  });
  applyIcon();
  item.setToolTip(QString::fromStdString(kit::ZvApp::name()));
  // No context menu is attached: the menu is ours to open, rebuilt each time, and a right click toggles.
  connect(&item, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    StatusItemClick click = StatusItemClick::other;
    if (reason == QSystemTrayIcon::Trigger) click = StatusItemClick::primaryButton;
    if (reason == QSystemTrayIcon::Context) click = StatusItemClick::secondaryButton;
    handleStatusItemClick(click, platform::InputMonitors::currentModifierFlags());
  });
}

void MenuBarController::applyIcon() {
  if (!statusItem_) return;
  const QIcon icon = statusItemIcon(panelIsDark_);
  if (!isIconDimmed_) {
    statusItem_->setIcon(icon);
    return;
  }
  QIcon dimmed;
  for (const QSize& size : icon.availableSizes(QIcon::Disabled)) dimmed.addPixmap(icon.pixmap(size, QIcon::Disabled));
  statusItem_->setIcon(dimmed);
}

void MenuBarController::start() {
  // The engine first: copies made while the icon is being set up are already watched.
  engine();
  statusItem();
  revealStatusItem();
  startObserving();
  // The welcome's alerts are modal. They start from an event of their own rather than inside this main-queue
  // block, so that the main queue goes on (the bus service, the launch step) while they are open.
  QMetaObject::invokeMethod(
      this,
      [this] {
        showWelcomeScreenIfNeeded(isFirstLaunch && isFirstLaunch(), statusItem());
        if (ensureVisibility) ensureVisibility(statusItem());
      },
      Qt::QueuedConnection);
  namespace Names = kit::GlobalShortcuts::Names;
  if (kit::GlobalShortcuts::getShortcut(Names::copyAndClearFormatting()) ||
      kit::GlobalShortcuts::getShortcut(Names::clearFormatting()))
    requestPostEventAccess();
}

void MenuBarController::requestPostEventAccess() {
  // X11 asks no permission to post keys: the server either offers XTEST or cannot take them at all.
  kit::log({"Synthetic keys can be posted (XTEST):", platform::SyntheticKeys::canPost()}, kit::LogType::info);
}

void MenuBarController::primaryAction() { kit::Preferences::toggle(Keys::automaticallyClearFormatting()); }

void MenuBarController::hideStatusItemIfNeeded() {
  if (kit::Preferences::get(Keys::hideMenuBarIcon())) statusItem().setVisible(false);
}

void MenuBarController::updateIconAppearance() {
  const bool dimmed = kit::Preferences::get(Keys::dimMenuBarIconWhenDisabled()) &&
                      !kit::Preferences::get(Keys::automaticallyClearFormatting());
  if (dimmed == isIconDimmed_) return;
  isIconDimmed_ = dimmed;
  applyIcon();
}

void MenuBarController::startObserving() {
  menu_->onUpdate = [this] {
    buildStatusMenu(*menu_, engine(),
                    {.modifierFlags = platform::InputMonitors::currentModifierFlags(),
                     .isDebugModifierChordHeld = kit::isDebugModifierChordHeld(),
                     .showDebugWindow = showDebugWindow});
  };
  // The recorders refuse the key equivalents the menu shows; it is built for them when it has not opened yet.
  kit::GlobalShortcuts::Recorder::setApplicationMenu([self = QPointer<MenuBarController>(this)]() -> QMenu* {
    if (!self) return nullptr;
    if (self->menu_->actions().isEmpty()) self->menu_->onUpdate();
    return self->menu_.get();
  });
  // The announcement made as each observable starts is not a change: the icon is shown or hidden by the start.
  hideMenuBarIcon_ = kit::Preferences::Observable<bool>::make(Keys::hideMenuBarIcon());
  hideMenuBarIcon_->objectWillChange()
      .dropFirst()
      .sink([this](const platform::rx::Unit&) { statusItem().setVisible(!hideMenuBarIcon_->value()); })
      .store(preferenceChanges_);
  dimMenuBarIconWhenDisabled_ = kit::Preferences::Observable<bool>::make(Keys::dimMenuBarIconWhenDisabled());
  automaticallyClearFormatting_ = kit::Preferences::Observable<bool>::make(Keys::automaticallyClearFormatting());
  for (const auto& key : {dimMenuBarIconWhenDisabled_, automaticallyClearFormatting_}) {
    key->objectWillChange()
        .sink([this](const platform::rx::Unit&) { updateIconAppearance(); })
        .store(preferenceChanges_);
  }
  updateIconAppearance();
}

void MenuBarController::showStatusItem() { statusItem().setVisible(true); }

void MenuBarController::revealStatusItem() {
  showStatusItem();
  QTimer::singleShot(revealDuration, this, &MenuBarController::hideStatusItemIfNeeded);
}

void MenuBarController::handleStatusItemClick(StatusItemClick click, uint64_t modifierFlags) {
  switch (routeStatusItemClick(click, modifierFlags)) {
    case StatusItemClickResult::primaryAction:
      primaryAction();
      break;
    case StatusItemClickResult::showMenu:
      showMenu();
      break;
    case StatusItemClickResult::nothing:
      break;
  }
}

void MenuBarController::showMenu() {
  const QRect area = statusItem_ ? statusItem_->geometry() : QRect();
  // Under the icon when the tray tells where it is; the menu keeps itself on screen.
  menu_->popup(area.isEmpty() ? QCursor::pos() : area.bottomLeft() + QPoint(0, 1));
}

}  // namespace app
