// The settings window on a private X server with a real tray: "Settings…" in the tray menu opens it, and so does
// Ctrl+, while the menu is open; a second opening brings back the same window. Screenshots of the four tabs
// (and of an explanation popover) go to settings-screenshots/ beside the test programs.
#include "app/settings_window.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QTabBar>
#include <chrono>
#include <filesystem>
#include <memory>

#include "app/status_item.h"
#include "e2e/x11_session_support.h"
#include "engine/pasteboard_controller.h"
#include "engine/preference_keys.h"
#include "engine/shortcut_names.h"
#include "kit/shortcuts/storage.h"
#include "kit/ui/info_popover_button.h"

// Font discovery keeps its caches for the life of the process.
extern "C" const char* __lsan_default_options() { return "suppressions=" QUILLET_TEST_DATA "/fontconfig_leaks.supp"; }

namespace app {
namespace {

using namespace std::chrono_literals;
namespace Keys = kit::Preferences::Keys;

std::string screenshotPath(const std::string& name) {
  const std::filesystem::path folder = std::filesystem::path(QUILLET_BIN_DIR) / ".." / "settings-screenshots";
  std::filesystem::create_directories(folder);
  return (folder / name).string();
}

void click(QPoint at, int button = 1) {
  x11test::run(
      {"xdotool", "mousemove", std::to_string(at.x()), std::to_string(at.y()), "click", std::to_string(button)});
}

bool settingsWindowShown() { return SettingsWindow::current() && SettingsWindow::current()->isVisible(); }

class SettingsWindowE2E : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static x11test::TemporaryFolder configHome;
    setenv("XDG_CONFIG_HOME", configHome.path().c_str(), 1);
    qputenv("QT_QPA_PLATFORM", "xcb");
    static int argc = 1;
    static char name[] = "quillet-e2e";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
    QApplication::setApplicationName("Quillet");
    QApplication::setQuitOnLastWindowClosed(false);
    tray = new x11test::ChildProcess({"trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel", "--width",
                                      "120", "--height", "28", "--SetDockType", "false"});
    ASSERT_TRUE(x11test::processEventsUntil([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 10s));
  }
  static void TearDownTestSuite() {
    delete tray;
    tray = nullptr;
  }

  void SetUp() override {
    kit::Preferences::removeAll();
    installSettingsWindow();
    engine = std::make_unique<engine::PasteboardController>(platform::generalPasteboard());
    controller = std::make_unique<MenuBarController>(engine.get());
    controller->isFirstLaunch = [] { return false; };
    ASSERT_TRUE(x11test::processEventsUntil(
        [&] { return controller->isStatusItemVisible() && !controller->statusItem().geometry().isEmpty(); }, 10s));
    x11test::processEventsFor(500ms);  // the icon's window is mapped in the panel
  }
  void TearDown() override {
    if (SettingsWindow::current()) SettingsWindow::current()->close();
    x11test::processEventsFor(100ms);
    controller.reset();
    engine.reset();
  }

  void openMenu() {
    click(controller->statusItem().geometry().center());
    ASSERT_TRUE(x11test::processEventsUntil([&] { return controller->menu().isVisible(); }));
    x11test::processEventsFor(200ms);
  }

  // The window as the X server shows it.
  void screenshotWindow(const std::string& name) {
    x11test::processEventsFor(300ms);
    x11test::run({"import", "-window", std::to_string(SettingsWindow::current()->winId()), screenshotPath(name)});
  }

  static inline x11test::ChildProcess* tray = nullptr;
  std::unique_ptr<engine::PasteboardController> engine;
  std::unique_ptr<MenuBarController> controller;
};

TEST_F(SettingsWindowE2E, TheMenuItemOpensTheOneSettingsWindow) {
  openMenu();
  kit::ZvMenu& menu = controller->menu();
  QAction* settings = nullptr;
  for (QAction* action : menu.actions())
    if (action->text() == "Settings…") settings = action;
  ASSERT_NE(settings, nullptr);
  click(menu.mapToGlobal(menu.actionGeometry(settings).center()));
  ASSERT_TRUE(x11test::processEventsUntil(settingsWindowShown));
  SettingsWindow* window = SettingsWindow::current();
  EXPECT_FALSE(menu.isVisible());
  EXPECT_EQ(window->width(), 480);

  // Opening it again brings back the same window.
  openMenu();
  click(menu.mapToGlobal(menu.actionGeometry(settings).center()));
  x11test::processEventsFor(300ms);
  EXPECT_EQ(SettingsWindow::current(), window);
  int shown = 0;
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (qobject_cast<SettingsWindow*>(widget) && widget->isVisible()) ++shown;
  EXPECT_EQ(shown, 1);

  // The four tabs as the user sees them, with a shortcut set to show its recorder filled in.
  kit::GlobalShortcuts::setShortcut(kit::GlobalShortcuts::Shortcut{9, 768},
                                    kit::GlobalShortcuts::Names::clearFormatting());
  const char* names[] = {"general", "shortcuts", "exclude", "extras"};
  for (int tab = 0; tab < 4; ++tab) {
    window->setCurrentTab(tab);
    screenshotWindow(std::string("e2e-") + names[tab] + ".png");
  }
  const char* popovers[] = {"links", "tracking", "lists", "compatibility"};
  const auto helpButtons = window->currentPage()->findChildren<kit::InfoPopoverButton*>();
  ASSERT_EQ(helpButtons.size(), 4);
  for (int i = 0; i < 4; ++i) {
    kit::InfoPopoverButton* help = helpButtons.at(i);
    click(help->mapToGlobal(help->rect().center()));
    ASSERT_TRUE(x11test::processEventsUntil([&] { return help->isPopoverPresented(); }));
    x11test::processEventsFor(300ms);
    const QRect area = help->popover()->frameGeometry().united(window->frameGeometry()).adjusted(-10, -10, 10, 10);
    x11test::run({"import", "-window", "root", "-crop",
                  std::to_string(area.width()) + "x" + std::to_string(area.height()) + "+" +
                      std::to_string(std::max(0, area.x())) + "+" + std::to_string(std::max(0, area.y())),
                  screenshotPath(std::string("e2e-popover-") + popovers[i] + ".png")});
    help->popover()->close();
    x11test::processEventsFor(100ms);
  }
  kit::GlobalShortcuts::setShortcut(std::nullopt, kit::GlobalShortcuts::Names::clearFormatting());
}

TEST_F(SettingsWindowE2E, CtrlCommaWhileTheMenuIsOpenOpensSettings) {
  openMenu();
  x11test::run({"xdotool", "key", "ctrl+comma"});
  ASSERT_TRUE(x11test::processEventsUntil(settingsWindowShown));
  EXPECT_FALSE(controller->menu().isVisible());
}

}  // namespace
}  // namespace app
