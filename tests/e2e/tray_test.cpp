// The tray icon in a real embedding tray (trayer) on a private X server: the icon appears, the welcome points at
// it, a click opens the menu, a right click toggles, "Clear Formatting Now" cleans the clipboard, and "Settings…"
// (or Ctrl+, while the menu is open) opens the settings window; under a window manager About comes in front of the
// settings window and blocks nothing. Screenshots of the welcome, of the open menu and of
// the settings window's tabs and popovers go to tray-screenshots/ beside the test programs.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QLabel>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <memory>

#include "app/menu_bar_controller.h"
#include "app/settings_window.h"
#include "e2e/x11_session_support.h"
#include "engine/pasteboard_controller.h"
#include "engine/preference_keys.h"
#include "engine/shortcut_names.h"
#include "kit/app/standard_menu.h"
#include "kit/foundation/alert.h"
#include "kit/preferences/publishers.h"
#include "kit/shortcuts/recorder.h"
#include "kit/shortcuts/storage.h"
#include "kit/ui/info_popover_button.h"
#include "kit/ui/qt_alert_presenter.h"
#include "kit/ui/status_item_visibility.h"
#include "kit/ui/tooltip.h"
#include "platform/system/x11_connection.h"
#include "support/recording_alert_presenter.h"

namespace app {
namespace {

using namespace std::chrono_literals;
namespace Keys = kit::Preferences::Keys;

std::string screenshotPath(const std::string& name) {
  const std::filesystem::path folder = std::filesystem::path(QUILLET_BIN_DIR) / ".." / "tray-screenshots";
  std::filesystem::create_directories(folder);
  return (folder / name).string();
}

void screenshot(const QRect& area, const std::string& name) {
  const QRect clipped = area.intersected(QRect(0, 0, 1280, 800));
  x11test::run({"import", "-window", "root", "-crop",
                std::to_string(clipped.width()) + "x" + std::to_string(clipped.height()) + "+" +
                    std::to_string(clipped.x()) + "+" + std::to_string(clipped.y()),
                screenshotPath(name)});
}

void click(QPoint at, int button) {
  x11test::run(
      {"xdotool", "mousemove", std::to_string(at.x()), std::to_string(at.y()), "click", std::to_string(button)});
}

kit::Tooltip* visibleTooltip() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* tooltip = qobject_cast<kit::Tooltip*>(widget); tooltip && tooltip->isVisible()) return tooltip;
  }
  return nullptr;
}

class TrayTest : public x11test::SessionTest {
 protected:
  static void SetUpTestSuite() {
    SessionTest::SetUpTestSuite();
    // The program's alerts, as its start-up installs them.
    static kit::QtAlertPresenter alerts;
    kit::setAlertPresenter(&alerts);
    tray = x11test::startEmbeddingTray();
    ASSERT_TRUE(x11test::processEventsUntil([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 10s));
  }
  static void TearDownTestSuite() { tray.reset(); }

  void SetUp() override {
    kit::Preferences::removeAll();
    kit::Preferences::set(Keys::automaticallyClearFormatting(), false);
    engine = std::make_unique<engine::PasteboardController>(platform::generalPasteboard());
  }
  void TearDown() override {
    if (SettingsWindow::current()) SettingsWindow::current()->close();
    for (QWidget* window : QApplication::topLevelWidgets())
      if (window->objectName() == "aboutBox") window->close();
    x11test::processEventsFor(100ms);
    controller.reset();
    engine.reset();
  }

  void startController(bool firstLaunch) {
    controller = std::make_unique<MenuBarController>(engine.get());
    controller->isFirstLaunch = [firstLaunch] { return firstLaunch; };
  }

  QPoint iconCentre() { return controller->statusItem().geometry().center(); }
  // Not a first launch: no welcome.
  void startEmbeddedController() {
    startController(false);
    ASSERT_TRUE(x11test::processEventsUntil([&] { return iconIsEmbedded(); }, 10s));
    x11test::processEventsFor(300ms);
  }
  void openMenu() {
    click(iconCentre(), 1);
    ASSERT_TRUE(x11test::processEventsUntil([&] { return controller->menu().isVisible(); }));
    x11test::processEventsFor(200ms);
  }
  bool iconIsEmbedded() {
    return controller && controller->isStatusItemVisible() && !controller->statusItem().geometry().isEmpty();
  }

  static inline std::unique_ptr<x11test::ChildProcess> tray;
  std::unique_ptr<engine::PasteboardController> engine;
  std::unique_ptr<MenuBarController> controller;
};

TEST_F(TrayTest, TheFirstLaunchWelcomesThenPointsAtTheIconUntilItIsClicked) {
  // The welcome alert is modal: it is looked at and answered from inside its own loop.
  bool alertSeen = false;
  QTimer answerer;
  QObject::connect(&answerer, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible() || alertSeen) return;
    alertSeen = true;
    x11test::processEventsFor(300ms);
    screenshot(dialog->frameGeometry().adjusted(-10, -10, 10, 10), "welcome-alert.png");
    for (auto* button : dialog->findChildren<QAbstractButton*>()) {
      if (button->text() == "Get Started") button->click();
    }
  });
  answerer.start(100);
  startController(true);

  ASSERT_TRUE(x11test::processEventsUntil([&] { return visibleTooltip() != nullptr; }, 10s));
  EXPECT_TRUE(alertSeen);
  ASSERT_TRUE(iconIsEmbedded());
  EXPECT_FALSE(kit::isHiddenFromMenuBar(controller->statusItem()));
  kit::Tooltip* popover = visibleTooltip();
  EXPECT_EQ(popover->label()->text(), "Hello, I'm Quillet");
  // It hangs under the icon.
  const QRect icon = controller->statusItem().geometry();
  EXPECT_GE(popover->geometry().top(), icon.bottom());
  EXPECT_LE(popover->geometry().left(), icon.center().x());
  x11test::processEventsFor(300ms);
  screenshot(QRect(1280 - 520, 0, 520, 160), "welcome-popover.png");

  // A right click does its own work (it toggles automatic clearing) and leaves the welcome in place.
  click(iconCentre(), 3);
  ASSERT_TRUE(x11test::processEventsUntil([] { return kit::Preferences::get(Keys::automaticallyClearFormatting()); }));
  x11test::processEventsFor(200ms);
  EXPECT_EQ(visibleTooltip(), popover);

  // A click on the icon ends the welcome and still opens the menu.
  click(iconCentre(), 1);
  ASSERT_TRUE(x11test::processEventsUntil([&] { return controller->menu().isVisible(); }));
  EXPECT_TRUE(x11test::processEventsUntil([] { return visibleTooltip() == nullptr; }));  // once it has faded out
  controller->menu().hide();
}

TEST_F(TrayTest, AClickOpensTheMenuAndClearFormattingNowCleansTheClipboard) {
  startController(false);
  ASSERT_TRUE(x11test::processEventsUntil([&] { return iconIsEmbedded(); }, 10s));
  x11test::SelectionOwner::Options rich;
  rich.targets = {{"text/html", "<b>Hello</b> <i>world</i>"}, {"UTF8_STRING", "Hello world"}};
  rich.order = {"text/html", "UTF8_STRING"};
  auto owner = std::make_unique<x11test::SelectionOwner>(rich);
  x11test::processEventsFor(300ms);

  click(iconCentre(), 1);
  kit::ZvMenu& menu = controller->menu();
  ASSERT_TRUE(x11test::processEventsUntil([&] { return menu.isVisible(); }));
  QAction* clear = nullptr;
  for (QAction* action : menu.actions()) {
    if (action->text() == "Clear Formatting Now") clear = action;
  }
  ASSERT_NE(clear, nullptr);
  EXPECT_TRUE(clear->isEnabled());
  x11test::processEventsFor(300ms);
  screenshot(menu.geometry().united(controller->statusItem().geometry()).adjusted(-40, -4, 40, 40), "open-menu.png");

  click(menu.mapToGlobal(menu.actionGeometry(clear).center()), 1);
  ASSERT_TRUE(x11test::processEventsUntil([] { return QApplication::clipboard()->ownsClipboard(); }));
  x11test::processEventsFor(200ms);
  EXPECT_EQ(x11test::run({"xclip", "-o", "-selection", "clipboard", "-t", "UTF8_STRING"}), "Hello world");
  EXPECT_EQ(x11test::run({"xclip", "-o", "-selection", "clipboard", "-t", "TARGETS"}).find("text/html"),
            std::string::npos);

  // A right click toggles automatic clearing without opening anything.
  click(iconCentre(), 3);
  EXPECT_TRUE(x11test::processEventsUntil([] { return kit::Preferences::get(Keys::automaticallyClearFormatting()); }));
  EXPECT_FALSE(menu.isVisible());
}

TEST_F(TrayTest, ARightClickTogglesAtTheButtonsReleaseNotAtItsPress) {
  startEmbeddedController();
  const QPoint at = iconCentre();
  x11test::run({"xdotool", "mousemove", std::to_string(at.x()), std::to_string(at.y()), "mousedown", "3"});
  x11test::processEventsFor(500ms);
  EXPECT_FALSE(kit::Preferences::get(Keys::automaticallyClearFormatting())) << "the press alone changes nothing";
  x11test::run({"xdotool", "mouseup", "3"});
  EXPECT_TRUE(x11test::processEventsUntil([] { return kit::Preferences::get(Keys::automaticallyClearFormatting()); }));

  // One toggle per click.
  click(at, 3);
  EXPECT_TRUE(x11test::processEventsUntil([] { return !kit::Preferences::get(Keys::automaticallyClearFormatting()); }));
  x11test::processEventsFor(300ms);
  EXPECT_FALSE(kit::Preferences::get(Keys::automaticallyClearFormatting()));
  EXPECT_FALSE(controller->menu().isVisible());
}

TEST_F(TrayTest, EachOfTwoQuickClicksThatToggleTogglesOnce) {
  startEmbeddedController();
  int toggles = 0;
  auto counting = kit::Preferences::changePublisher(Keys::automaticallyClearFormatting(), {})
                      .sink([&](const kit::Preferences::KeyChange<bool>&) { ++toggles; });
  const QPoint at = iconCentre();
  x11test::run({"xdotool", "mousemove", std::to_string(at.x()), std::to_string(at.y())});
  auto clickTwice = [&](int button, int delayMs) {
    toggles = 0;
    x11test::run({"xdotool", "click", "--repeat", "2", "--delay", std::to_string(delayMs), std::to_string(button)});
    EXPECT_TRUE(x11test::processEventsUntil([&] { return toggles >= 2; })) << button << " after " << delayMs << " ms";
    x11test::processEventsFor(700ms);  // the next click starts afresh, no double click
    EXPECT_EQ(toggles, 2);
  };
  // The second press of each pair comes as a double click.
  clickTwice(3, 80);
  clickTwice(3, 300);
  x11test::run({"xdotool", "keydown", "super"});
  x11test::processEventsFor(200ms);
  clickTwice(1, 150);
  x11test::run({"xdotool", "keyup", "super"});
  EXPECT_FALSE(controller->menu().isVisible());
}

bool settingsWindowShown() { return SettingsWindow::current() && SettingsWindow::current()->isVisible(); }

TEST_F(TrayTest, SettingsInTheMenuOpensTheOneSettingsWindow) {
  installSettingsWindow();
  startEmbeddedController();
  openMenu();
  kit::ZvMenu& menu = controller->menu();
  QAction* settings = nullptr;
  for (QAction* action : menu.actions())
    if (action->text() == "Settings…") settings = action;
  ASSERT_NE(settings, nullptr);
  click(menu.mapToGlobal(menu.actionGeometry(settings).center()), 1);
  ASSERT_TRUE(x11test::processEventsUntil(settingsWindowShown));
  SettingsWindow* window = SettingsWindow::current();
  EXPECT_FALSE(menu.isVisible());
  EXPECT_EQ(window->width(), 480);

  // Opening it again brings back the same window.
  openMenu();
  click(menu.mapToGlobal(menu.actionGeometry(settings).center()), 1);
  x11test::processEventsFor(300ms);
  EXPECT_EQ(SettingsWindow::current(), window);
  int shown = 0;
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (qobject_cast<SettingsWindow*>(widget) && widget->isVisible()) ++shown;
  EXPECT_EQ(shown, 1);

  // The four tabs as the X server shows them, with a shortcut set so that a recorder shows one.
  kit::GlobalShortcuts::setShortcut(kit::GlobalShortcuts::Shortcut{9, 768},
                                    kit::GlobalShortcuts::Names::clearFormatting());
  const char* tabs[] = {"general", "shortcuts", "exclude", "extras"};
  for (int tab = 0; tab < 4; ++tab) {
    window->setCurrentTab(tab);
    x11test::processEventsFor(300ms);
    x11test::run({"import", "-window", std::to_string(window->winId()),
                  screenshotPath(std::string("settings-") + tabs[tab] + ".png")});
  }
  const char* popovers[] = {"links", "tracking", "lists", "compatibility"};
  const auto helpButtons = window->currentPage()->findChildren<kit::InfoPopoverButton*>();
  ASSERT_EQ(helpButtons.size(), 4);
  for (int i = 0; i < 4; ++i) {
    kit::InfoPopoverButton* help = helpButtons.at(i);
    click(help->mapToGlobal(help->rect().center()), 1);
    ASSERT_TRUE(x11test::processEventsUntil([&] { return help->isPopoverPresented(); }));
    x11test::processEventsFor(300ms);
    screenshot(help->popover()->frameGeometry().united(window->frameGeometry()).adjusted(-10, -10, 10, 10),
               std::string("settings-popover-") + popovers[i] + ".png");
    help->popover()->close();
    x11test::processEventsFor(100ms);
  }
  kit::GlobalShortcuts::setShortcut(std::nullopt, kit::GlobalShortcuts::Names::clearFormatting());
}

TEST_F(TrayTest, ShortcutsShownInTheOpenMenuWorkWhileItIsOpen) {
  installSettingsWindow();
  startEmbeddedController();
  openMenu();
  x11test::run({"xdotool", "key", "ctrl+comma"});
  ASSERT_TRUE(x11test::processEventsUntil(settingsWindowShown));
  EXPECT_FALSE(controller->menu().isVisible());

  SettingsWindow::current()->close();
  x11test::processEventsFor(200ms);

  // The stored toggle shortcut, which the menu shows on "Automatically Clear Formatting".
  kit::GlobalShortcuts::setShortcut(kit::GlobalShortcuts::Shortcut::make(96, 256 | 512),  // Ctrl+Shift+F5
                                    kit::GlobalShortcuts::Names::toggleAutomaticallyClearFormatting());
  openMenu();
  x11test::run({"xdotool", "key", "ctrl+shift+F5"});
  EXPECT_TRUE(x11test::processEventsUntil([] { return kit::Preferences::get(Keys::automaticallyClearFormatting()); }));
  EXPECT_TRUE(x11test::processEventsUntil([&] { return !controller->menu().isVisible(); }));
  kit::GlobalShortcuts::setShortcut(std::nullopt, kit::GlobalShortcuts::Names::toggleAutomaticallyClearFormatting());
}

TEST_F(TrayTest, RecordersRefuseTheMenusKeyEquivalentsButNotTheShortcutsItShows) {
  namespace gs = kit::GlobalShortcuts;
  RecordingAlertPresenter presenter;
  kit::AlertPresenter& programAlerts = kit::alertPresenter();
  kit::setAlertPresenter(&presenter);
  gs::setShortcut(gs::Shortcut{49, 768}, gs::Names::copyAndClearFormatting());
  gs::setShortcut(gs::Shortcut::make(96, 768), gs::Names::toggleAutomaticallyClearFormatting());  // Ctrl+Shift+F5
  installSettingsWindow();
  startController(false);
  ASSERT_TRUE(x11test::processEventsUntil([&] { return static_cast<bool>(controller->menu().onUpdate); }));
  SettingsWindow& window = SettingsWindow::open();
  ASSERT_TRUE(x11test::processEventsUntil(settingsWindowShown));
  window.setCurrentTab(1);
  const auto rows = window.currentPage()->findChildren<gs::Recorder*>();
  ASSERT_EQ(rows.size(), 3);
  auto record = [](gs::Recorder* row, const std::string& keys) {
    click(row->mapToGlobal(row->rect().center()), 1);
    ASSERT_TRUE(x11test::processEventsUntil([&] { return row->isRecording(); }));
    x11test::run({"xdotool", "key", keys});
    x11test::processEventsFor(200ms);
  };

  // The menu has not opened yet: it is built for the check.
  record(rows[0], "ctrl+q");
  record(rows[0], "ctrl+comma");
  EXPECT_EQ(presenter.messages(),
            (std::vector<std::string>{
                "This keyboard shortcut cannot be used as it's already used by the \u201CQuit Quillet\u201D menu item.",
                "This keyboard shortcut cannot be used as it's already used by the \u201CSettings\u2026\u201D menu "
                "item."}));
  EXPECT_EQ(gs::getShortcut(gs::Names::copyAndClearFormatting()), (gs::Shortcut{49, 768})) << "the old one stays";

  // "Automatically Clear Formatting" shows the toggle's own shortcut, which may be recorded again.
  record(rows[2], "ctrl+shift+F5");
  EXPECT_EQ(presenter.alerts.size(), 2u);
  EXPECT_FALSE(rows[2]->isRecording());
  EXPECT_EQ(gs::getShortcut(gs::Names::toggleAutomaticallyClearFormatting()), gs::Shortcut::make(96, 768));
  for (const auto* name : {&gs::Names::copyAndClearFormatting(), &gs::Names::toggleAutomaticallyClearFormatting()})
    gs::setShortcut(std::nullopt, *name);
  kit::setAlertPresenter(&programAlerts);
}

QWidget* aboutBox() {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->objectName() == "aboutBox" && widget->isVisible()) return widget;
  return nullptr;
}

// Whether a window manager stacks the first window above the second.
bool isStackedAbove(const QWidget& upper, const QWidget& lower) {
  platform::X11Connection& x = *platform::X11Connection::shared();
  const auto stacking = x.property32(x.root(), "_NET_CLIENT_LIST_STACKING").value_or(std::vector<uint32_t>{});
  return x11test::isStackedAbove(stacking, upper.winId(), lower.winId());
}

// As a new user finds it: the settings window open, then About. The box comes in front of the settings window, which
// floats, and blocks nothing: the settings window takes clicks and the tray menu opens.
TEST_F(TrayTest, AboutComesInFrontOfTheSettingsWindowUnderAWindowManagerAndBlocksNothing) {
  auto windowManager = x11test::startWindowManager();
  ASSERT_TRUE(windowManager);
  installSettingsWindow();
  startEmbeddedController();
  SettingsWindow& window = SettingsWindow::open();
  ASSERT_TRUE(x11test::processEventsUntil([&] { return window.isVisible() && window.isActiveWindow(); }));

  kit::aboutMenuItemAction();
  QWidget* about = nullptr;
  ASSERT_TRUE(x11test::processEventsUntil([&] { return (about = aboutBox()) != nullptr; }));
  EXPECT_TRUE(x11test::processEventsUntil([&] { return isStackedAbove(*about, window); })) << "About is seen";
  x11test::processEventsFor(300ms);
  screenshot(about->frameGeometry().united(window.frameGeometry()).adjusted(-10, -10, 10, 10),
             "about-over-settings.png");

  click(window.mapToGlobal(QPoint(window.width() / 2, window.height() - 8)), 1);
  EXPECT_TRUE(x11test::processEventsUntil([&] { return window.isActiveWindow(); })) << "the settings window is usable";
  openMenu();
  controller->menu().hide();

  // Asked again, the same box comes in front again.
  kit::aboutMenuItemAction();
  EXPECT_TRUE(x11test::processEventsUntil([&] { return isStackedAbove(*about, window) && about->isActiveWindow(); }));
  EXPECT_EQ(aboutBox(), about);
  about->close();
}

}  // namespace
}  // namespace app
