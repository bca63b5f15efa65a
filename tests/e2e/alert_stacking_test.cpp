// Alerts under a window manager (openbox), which keeps the settings window above ordinary windows: every alert comes
// above the window it belongs to, so that its text and buttons show and the window it blocks can be used again.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>

#include "app/settings_window.h"
#include "app/shortcut_settings.h"
#include "kit/foundation/alert.h"
#include "kit/shortcuts/recorder.h"
#include "kit/ui/qt_alert_presenter.h"
#include "platform/system/x11_connection.h"
#include "x11_session_support.h"

namespace app {
namespace {

using namespace std::chrono_literals;

// What the window manager shows while an alert is up.
struct AlertOnScreen {
  xcb_window_t alert = XCB_NONE;
  std::vector<uint32_t> stacking;  // managed windows, bottom first
  std::vector<uint32_t> transientFor;
  std::vector<std::string> states;

  // Whether the alert stands above the window in the window manager's stacking.
  bool isAbove(xcb_window_t window) const { return x11test::isStackedAbove(stacking, alert, window); }
};

class AlertStacking : public x11test::SessionTest {
 protected:
  void SetUp() override {
    windowManager = x11test::startWindowManager();
    kit::setAlertPresenter(&alerts);
  }
  void TearDown() override {
    kit::setAlertPresenter(nullptr);
    kit::GlobalShortcuts::Recorder::setApplicationMenu({});
    if (SettingsWindow::current()) SettingsWindow::current()->close();
    x11test::processEventsFor(100ms);
  }

  static SettingsWindow& openSettings() {
    SettingsWindow& window = SettingsWindow::open();
    EXPECT_TRUE(x11test::processEventsUntil(
        [&] { return window.isVisible() && isManaged(window.winId()) && window.isActiveWindow(); }));
    return window;
  }
  static bool isManaged(xcb_window_t window) {
    auto stacking = x().property32(x().root(), "_NET_CLIENT_LIST_STACKING");
    return stacking && std::find(stacking->begin(), stacking->end(), window) != stacking->end();
  }
  static platform::X11Connection& x() { return *platform::X11Connection::shared(); }

  // Runs `show`, which shows an alert (and may wait for its answer), and reads the stacking while the alert is up;
  // then answers the alert with its first button.
  static AlertOnScreen whileAlertIsUp(const std::function<void()>& show) {
    AlertOnScreen seen;
    QTimer::singleShot(0, qApp, [&seen] {
      QWidget* alert = nullptr;
      EXPECT_TRUE(x11test::processEventsUntil([&] {
        alert = QApplication::activeModalWidget();
        return alert && alert->isVisible() && isManaged(alert->winId());
      })) << "no alert came up";
      if (!alert) return;
      x11test::processEventsFor(200ms);  // the window manager has stacked it
      seen.alert = alert->winId();
      seen.stacking = x().property32(x().root(), "_NET_CLIENT_LIST_STACKING").value_or(std::vector<uint32_t>{});
      seen.transientFor = x().property32(seen.alert, "WM_TRANSIENT_FOR").value_or(std::vector<uint32_t>{});
      for (uint32_t state : x().property32(seen.alert, "_NET_WM_STATE").value_or(std::vector<uint32_t>{}))
        seen.states.push_back(x().atomName(state));
      const auto buttons = alert->findChildren<QPushButton*>();
      if (!buttons.isEmpty()) buttons.back()->click();  // the first button stands rightmost
    });
    show();
    x11test::processEventsUntil([] { return QApplication::activeModalWidget() == nullptr; });
    return seen;
  }

  std::unique_ptr<x11test::ChildProcess> windowManager;
  kit::QtAlertPresenter alerts;
};

TEST_F(AlertStacking, TheRecordersConflictAlertComesAboveTheSettingsWindow) {
  ASSERT_TRUE(windowManager);
  QMenu menu;
  menu.addAction("Quit Quillet")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  kit::GlobalShortcuts::Recorder::setApplicationMenu([&menu] { return &menu; });
  SettingsWindow& window = openSettings();
  window.setCurrentTab(1);
  auto* recorder = window.currentPage()->findChild<kit::GlobalShortcuts::Recorder*>();
  ASSERT_NE(recorder, nullptr);
  QTest::mouseClick(recorder, Qt::LeftButton);
  ASSERT_TRUE(recorder->isRecording());

  const AlertOnScreen seen = whileAlertIsUp([&] { QTest::keyClick(recorder, Qt::Key_Q, Qt::ControlModifier); });
  EXPECT_TRUE(seen.isAbove(window.winId())) << "the alert opened underneath the settings window";
  EXPECT_EQ(seen.transientFor, std::vector<uint32_t>{static_cast<uint32_t>(window.winId())});
  EXPECT_NE(std::find(seen.states.begin(), seen.states.end(), "_NET_WM_STATE_ABOVE"), seen.states.end())
      << "on the settings window's level";
  EXPECT_TRUE(recorder->isRecording()) << "recording goes on once the alert is answered";
}

TEST_F(AlertStacking, AnAlertOfTheApplicationAndAWindowsOwnAlertComeAboveTheSettingsWindow) {
  ASSERT_TRUE(windowManager);
  SettingsWindow& window = openSettings();
  // Another application in front, as when a copy made there shows the script's error.
  x11test::TestWindow other(200, 200, 300, 200);
  ASSERT_TRUE(x11test::processEventsUntil([&] { return isManaged(other.window()); }));

  const AlertOnScreen applicationAlert =
      whileAlertIsUp([] { kit::alertPresenter().runModal(kit::makeAlert("[JavaScript Exception] Error")); });
  EXPECT_TRUE(applicationAlert.isAbove(window.winId())) << "an alert of the whole application";

  const AlertOnScreen windowAlert = whileAlertIsUp(
      [&] { kit::alertPresenter().beginSheet(kit::makeAlert("Compatibility Warning"), &window, nullptr); });
  EXPECT_TRUE(windowAlert.isAbove(window.winId())) << "an alert of the settings window";
  EXPECT_EQ(windowAlert.transientFor, std::vector<uint32_t>{static_cast<uint32_t>(window.winId())});
}

TEST_F(AlertStacking, TheSettingsWindowFloatsUnderItsOwnId) {
  SettingsWindow& window = openSettings();
  const auto states = x().property32(window.winId(), "_NET_WM_STATE").value_or(std::vector<uint32_t>{});
  EXPECT_TRUE(std::any_of(states.begin(), states.end(),
                          [](uint32_t state) { return x().atomName(state) == "_NET_WM_STATE_ABOVE"; }));
}

}  // namespace
}  // namespace app
