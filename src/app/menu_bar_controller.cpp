#include "app/menu_bar_controller.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMetaObject>
#include <QMouseEvent>
#include <optional>

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
#include "kit/preferences/publishers.h"
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

MenuBarController::~MenuBarController() {
  for (const platform::Task<>& task : observingTasks_) task.cancel();
  if (awaitsSecondaryRelease_) qApp->removeEventFilter(this);
  if (iconWindow_) iconWindow_->removeEventFilter(this);
}

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
  connect(&item, &QSystemTrayIcon::activated, this, &MenuBarController::statusItemActivated);
}

void MenuBarController::statusItemActivated(QSystemTrayIcon::ActivationReason reason) {
  StatusItemClick click = StatusItemClick::other;
  // A left press soon after another is reported as a double click: it is a press all the same.
  if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
    click = StatusItemClick::primaryButton;
  if (reason == QSystemTrayIcon::Context) {
    // Reported while the right button is still down: its release is watched for.
    const bool isPress = (QGuiApplication::mouseButtons() & Qt::RightButton) != 0;
    click = isPress ? StatusItemClick::secondaryButtonDown : StatusItemClick::secondaryButtonUp;
    if (isPress) awaitSecondaryRelease();
  }
  handleStatusItemClick(click, platform::InputMonitors::currentModifierFlags());
}

void MenuBarController::awaitSecondaryRelease() {
  if (awaitsSecondaryRelease_) return;
  awaitsSecondaryRelease_ = true;
  qApp->installEventFilter(this);
}

bool MenuBarController::eventFilter(QObject* watched, QEvent* event) {
  const auto isRight = [event] { return static_cast<QMouseEvent*>(event)->button() == Qt::RightButton; };
  // A right press soon after another reaches the icon's window as a double click, which the tray reports as nothing:
  // it is a press all the same, and its release is watched for.
  if (!awaitsSecondaryRelease_ && watched == iconWindow_ && event->type() == QEvent::MouseButtonDblClick && isRight()) {
    awaitSecondaryRelease();
    handleStatusItemClick(StatusItemClick::secondaryButtonDown, platform::InputMonitors::currentModifierFlags());
    return QObject::eventFilter(watched, event);
  }
  if (!awaitsSecondaryRelease_) return QObject::eventFilter(watched, event);
  const bool isRelease = event->type() == QEvent::MouseButtonRelease && isRight();
  // A press elsewhere before the release means the release went astray; a press on the icon asks again.
  if (isRelease || event->type() == QEvent::MouseButtonPress) {
    awaitsSecondaryRelease_ = false;
    qApp->removeEventFilter(this);
  }
  if (isRelease) {
    // The release comes first to the window the press was on, the icon's: its double clicks are watched from now on.
    if (iconWindow_ != watched) {
      if (iconWindow_) iconWindow_->removeEventFilter(this);
      iconWindow_ = watched;
      watched->installEventFilter(this);
    }
    handleStatusItemClick(StatusItemClick::secondaryButtonUp, platform::InputMonitors::currentModifierFlags());
  }
  return QObject::eventFilter(watched, event);
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
  // Each task stops with the controller; a value already on its way finds it gone.
  QPointer<MenuBarController> self(this);
  // Later changes only: the icon is shown or hidden by the start.
  observingTasks_.push_back(platform::spawn(platform::mainExecutor(), [self]() -> platform::Task<> {
    auto values = kit::Preferences::valueStream(Keys::hideMenuBarIcon(), false);
    while (const std::optional<bool> isHidden = co_await values.next()) {
      if (!self) break;
      self->statusItem().setVisible(!*isHidden);
    }
  }));
  observingTasks_.push_back(platform::spawn(platform::mainExecutor(), [self]() -> platform::Task<> {
    auto changes = kit::Preferences::changeStream(
        {&Keys::dimMenuBarIconWhenDisabled(), &Keys::automaticallyClearFormatting()}, true);
    while (co_await changes.next()) {
      if (!self) break;
      self->updateIconAppearance();
    }
  }));
}

void MenuBarController::showStatusItem() { statusItem().setVisible(true); }

void MenuBarController::revealStatusItem() {
  showStatusItem();
  // The latest reveal counts: the hide of an earlier one, still pending, leaves the icon alone.
  const uint64_t reveal = ++revealCount_;
  // Never early: Qt makes a timer of two seconds or more coarse, and a coarse timer may fire early.
  platform::mainExecutor().postAfter(revealDuration, [self = QPointer<MenuBarController>(this), reveal] {
    if (self && self->revealCount_ == reveal) self->hideStatusItemIfNeeded();
  });
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
