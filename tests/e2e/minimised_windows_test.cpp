// Windows minimised with the title bar's button under a window manager (openbox), on a desktop without a task bar:
// asking for such a window again ("Settings…" in the tray menu, "About", the script editor's opening) maps it again,
// in front of the other windows and with the keyboard focus, or the user could never reach it again.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <algorithm>
#include <string>

#include "app/javascript_editor.h"
#include "app/settings_window.h"
#include "kit/app/standard_menu.h"
#include "kit/foundation/alert.h"
#include "kit/ui/qt_alert_presenter.h"
#include "platform/system/x11_connection.h"
#include "platform/system/xcb_reply.h"
#include "x11_session_support.h"

namespace app {
namespace {

using namespace std::chrono_literals;

using ::testing::StartsWith;

platform::X11Connection& x() { return *platform::X11Connection::shared(); }

// The values of WM_STATE (ICCCM).
constexpr uint32_t normalState = 1;
constexpr uint32_t iconicState = 3;

// How the X server and the window manager show the window: "viewable" or "unmapped"; its WM_STATE; then "hidden"
// (_NET_WM_STATE_HIDDEN), "on top" (no shown window above it in the window manager's stacking), "active"
// (_NET_ACTIVE_WINDOW) and "focused" (the X input focus) where they hold.
bool isViewable(xcb_window_t window) {
  xcb_connection_t* c = x().connection();
  auto attributes =
      platform::xcbReply(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
  return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

std::string presence(xcb_window_t window) {
  std::string shown = isViewable(window) ? "viewable" : "unmapped";
  const auto wmState = x().property32(window, "WM_STATE");
  const uint32_t state = wmState && !wmState->empty() ? wmState->front() : 0;
  shown += state == normalState ? ", Normal" : state == iconicState ? ", Iconic" : ", none";
  const auto states = x().property32(window, "_NET_WM_STATE").value_or(std::vector<uint32_t>{});
  if (std::count(states.begin(), states.end(), x().atom("_NET_WM_STATE_HIDDEN")) != 0) shown += ", hidden";
  // The window manager keeps minimised windows in its stacking, where they are seen nowhere.
  const auto stacking = x().property32(x().root(), "_NET_CLIENT_LIST_STACKING").value_or(std::vector<uint32_t>{});
  const auto at = std::find(stacking.begin(), stacking.end(), window);
  if (at != stacking.end() && std::none_of(at + 1, stacking.end(), isViewable)) shown += ", on top";
  const auto active = x().property32(x().root(), "_NET_ACTIVE_WINDOW");
  if (active && !active->empty() && active->front() == window) shown += ", active";
  xcb_connection_t* c = x().connection();
  auto focus = platform::xcbReply(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
  if (focus && focus->focus == window) shown += ", focused";
  return shown;
}

constexpr const char* inFront = "viewable, Normal, on top, active, focused";
constexpr const char* minimised = "unmapped, Iconic, hidden";

// Waits until the window shows as expected; answers how it shows then.
std::string waitForPresence(const QWidget& window, const std::string& expected) {
  x11test::processEventsUntil([&] { return presence(window.winId()).starts_with(expected); }, 5s);
  return presence(window.winId());
}

// Whether the window manager stacks the first window above the second now.
bool isAbove(xcb_window_t upper, xcb_window_t lower) {
  return x11test::isStackedAbove(
      x().property32(x().root(), "_NET_CLIENT_LIST_STACKING").value_or(std::vector<uint32_t>{}), upper, lower);
}

class MinimisedWindows : public x11test::SessionTest {
 protected:
  void SetUp() override {
    windowManager = x11test::startWindowManager();
    kit::setAlertPresenter(&alerts);
    installSettingsWindow();
  }
  void TearDown() override {
    for (QWidget* window : QApplication::topLevelWidgets()) {
      if (window->objectName() == "aboutBox") window->close();
    }
    if (SettingsWindow::current()) SettingsWindow::current()->close();
    kit::setAlertPresenter(nullptr);
    x11test::processEventsFor(100ms);
  }

  // Chooses "Settings…" in the tray menu and answers the settings window once it is in front.
  static SettingsWindow* chooseSettings() {
    kit::settingsMenuItemAction();
    SettingsWindow* window = nullptr;
    x11test::processEventsUntil([&] { return (window = SettingsWindow::current()) && window->isVisible(); });
    return window;
  }
  // Minimises the window as its title bar's button does (WM_CHANGE_STATE to the window manager), until it stays so:
  // the activation that the window's opening asked for may reach the window manager late on a loaded machine, and
  // undo a minimise that came before it (a person does not minimise a window in the moment it opens).
  static void minimise(const QWidget& window) {
    for (int attempt = 0; attempt < 5; ++attempt) {
      x11test::processEventsFor(300ms);
      if (attempt > 0 && presence(window.winId()).starts_with(minimised)) return;
      x11test::run({"xdotool", "windowminimize", std::to_string(window.winId())});
      waitForPresence(window, minimised);
    }
    ADD_FAILURE() << "the window does not stay minimised: " << presence(window.winId());
  }
  // Another application's window, which the user brings to the front meanwhile.
  static std::unique_ptr<x11test::TestWindow> otherApplicationInFront() {
    auto other = std::make_unique<x11test::TestWindow>(100, 100, 400, 300);
    x11test::run({"xdotool", "windowactivate", std::to_string(other->window())});
    EXPECT_TRUE(x11test::processEventsUntil([&] {
      const auto active = x().property32(x().root(), "_NET_ACTIVE_WINDOW");
      return active && !active->empty() && active->front() == other->window();
    })) << "the other window did not come to the front";
    return other;
  }

  std::unique_ptr<x11test::ChildProcess> windowManager;
  kit::QtAlertPresenter alerts;
};

TEST_F(MinimisedWindows, SettingsInTheTrayMenuBringsTheMinimisedSettingsWindowBackInFrontWithTheFocus) {
  ASSERT_TRUE(windowManager);
  SettingsWindow* window = chooseSettings();
  ASSERT_NE(window, nullptr);
  ASSERT_EQ(waitForPresence(*window, inFront), inFront) << "first opening";
  for (int time = 1; time <= 2; ++time) {
    minimise(*window);
    auto other = otherApplicationInFront();
    ASSERT_EQ(chooseSettings(), window) << "the same window comes back";
    EXPECT_EQ(waitForPresence(*window, inFront), inFront) << "minimised " << time << " times";
    EXPECT_TRUE(x11test::processEventsUntil([&] { return window->isActiveWindow(); })) << "Qt hears of the focus too";
  }
}

TEST_F(MinimisedWindows, TheScriptEditorComesBackWithItsSettingsWindowAndTakesTheFocus) {
  ASSERT_TRUE(windowManager);
  SettingsWindow* window = chooseSettings();
  ASSERT_NE(window, nullptr);
  auto openEditor = [window] {
    presentJavaScriptEditor(window, {});
    JavaScriptEditor* editor = nullptr;
    x11test::processEventsUntil([&] { return (editor = window->findChild<JavaScriptEditor*>()) != nullptr; });
    return editor;
  };
  JavaScriptEditor* editor = openEditor();
  ASSERT_NE(editor, nullptr);
  ASSERT_EQ(waitForPresence(*editor, inFront), inFront);

  // The window manager minimises the editor with the window it stands over.
  minimise(*window);
  EXPECT_THAT(waitForPresence(*editor, minimised), StartsWith(minimised));
  auto other = otherApplicationInFront();
  chooseSettings();
  EXPECT_EQ(waitForPresence(*editor, inFront), inFront) << "the editor, which blocks its window, has the focus";
  EXPECT_EQ(presence(window->winId()), "viewable, Normal");
  EXPECT_TRUE(isAbove(window->winId(), other->window()));
  EXPECT_TRUE(x11test::processEventsUntil([&] { return QApplication::activeWindow() == editor; }))
      << "keys go to the editor";

  // Opened while the settings window is minimised (the switch turned on from elsewhere), it brings the window back.
  editor->accept();
  ASSERT_TRUE(x11test::processEventsUntil([&] { return window->findChild<JavaScriptEditor*>() == nullptr; }));
  minimise(*window);
  other = otherApplicationInFront();
  editor = openEditor();
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(waitForPresence(*editor, inFront), inFront) << "opened over the minimised window";
  EXPECT_EQ(presence(window->winId()), "viewable, Normal");
  EXPECT_TRUE(isAbove(window->winId(), other->window()));
}

TEST_F(MinimisedWindows, AboutBringsTheMinimisedAboutBoxBackAndLeavesTheMinimisedSettingsWindowAlone) {
  ASSERT_TRUE(windowManager);
  SettingsWindow* window = chooseSettings();
  ASSERT_NE(window, nullptr);
  ASSERT_EQ(waitForPresence(*window, inFront), inFront);
  minimise(*window);

  kit::aboutMenuItemAction();
  QWidget* about = nullptr;
  ASSERT_TRUE(x11test::processEventsUntil([&] {
    const auto windows = QApplication::topLevelWidgets();
    auto found = std::find_if(windows.begin(), windows.end(),
                              [](const QWidget* each) { return each->objectName() == "aboutBox"; });
    return (about = found == windows.end() ? nullptr : *found) != nullptr;
  }));
  ASSERT_EQ(waitForPresence(*about, inFront), inFront);
  EXPECT_THAT(presence(window->winId()), StartsWith(minimised)) << "the settings window stays where the user put it";

  minimise(*about);
  auto other = otherApplicationInFront();
  kit::aboutMenuItemAction();
  EXPECT_EQ(waitForPresence(*about, inFront), inFront);
  EXPECT_THAT(presence(window->winId()), StartsWith(minimised));
}

}  // namespace
}  // namespace app
