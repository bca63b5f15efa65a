// Where the settings window and the script editor come up on a real X server: centred on the screen at first, then
// where the user left the window, also under a window manager that frames them.
#include <gtest/gtest.h>

#include <QDialog>
#include <QGuiApplication>
#include <QScreen>

#include "app/javascript_editor.h"
#include "app/settings_window.h"
#include "platform/system/x11_connection.h"
#include "platform/system/xcb_reply.h"
#include "x11_session_support.h"

inline void PrintTo(const QPoint& point, std::ostream* out) { *out << "(" << point.x() << ", " << point.y() << ")"; }

namespace app {
namespace {

using namespace std::chrono_literals;

class SettingsWindowPlacement : public x11test::SessionTest {
 protected:
  void TearDown() override {
    if (SettingsWindow::current()) SettingsWindow::current()->close();
    x11test::processEventsFor(100ms);
  }

  static SettingsWindow& openAndWait() {
    SettingsWindow& window = SettingsWindow::open();
    EXPECT_TRUE(x11test::processEventsUntil([&] { return window.isVisible(); }));
    return window;
  }
  static QPoint offsetFromScreenMiddle(const QWidget& window) {
    return window.frameGeometry().center() - QGuiApplication::primaryScreen()->availableGeometry().center();
  }
};

TEST_F(SettingsWindowPlacement, FirstCentredOnTheScreenThenWhereItWasLeftAndTheEditorComesUpOverIt) {
  SettingsWindow* window = &openAndWait();
  const QPoint offset = offsetFromScreenMiddle(*window);
  EXPECT_LE(offset.manhattanLength(), 2) << "at " << window->x() << "," << window->y();

  presentJavaScriptEditor(window, {});
  QDialog* editor = nullptr;
  ASSERT_TRUE(x11test::processEventsUntil(
      [&] { return (editor = window->findChild<JavaScriptEditor*>()) && editor->isVisible(); }));
  EXPECT_LE(offsetFromScreenMiddle(*editor).manhattanLength(), 2) << "at " << editor->x() << "," << editor->y();
  editor->accept();

  window->move(40, 50);
  ASSERT_TRUE(x11test::processEventsUntil([&] { return window->pos() == QPoint(40, 50); }));
  window->close();
  x11test::processEventsFor(100ms);
  window = &openAndWait();
  EXPECT_EQ(window->pos(), QPoint(40, 50)) << "opened again in the same run";
}

// Where the X server shows the window's own area (inside the frame), wherever the window manager put the frame.
QPoint shownAt(const QWidget& window) {
  platform::X11Connection& x = *platform::X11Connection::shared();
  auto place = platform::xcbReply(xcb_translate_coordinates_reply(
      x.connection(), xcb_translate_coordinates(x.connection(), window.winId(), x.root(), 0, 0), nullptr));
  return place ? QPoint(place->dst_x, place->dst_y) : QPoint(-1, -1);
}

// Waits until the window manager has framed the window and it has stopped moving.
QPoint settledPlace(const QWidget& window) {
  platform::X11Connection& x = *platform::X11Connection::shared();
  EXPECT_TRUE(x11test::processEventsUntil([&] {
    return window.isVisible() && x.property32(window.winId(), "_NET_FRAME_EXTENTS").has_value();
  })) << "not framed";
  QPoint place = shownAt(window);
  x11test::processEventsUntil([&] {
    x11test::processEventsFor(300ms);
    return std::exchange(place, shownAt(window)) == place;
  });
  return place;
}

class PlacementUnderWindowManager : public SettingsWindowPlacement {
 protected:
  void SetUp() override { windowManager = x11test::startWindowManager(); }

  std::unique_ptr<x11test::ChildProcess> windowManager;
};

TEST_F(PlacementUnderWindowManager, TheSettingsWindowAndItsEditorComeBackWhereTheyWereAtEveryOpening) {
  ASSERT_TRUE(windowManager);
  QPoint left;
  {
    // The user moves the window through the window manager, as a drag of its title bar does.
    SettingsWindow& window = openAndWait();
    settledPlace(window);
    x11test::run({"xdotool", "windowmove", std::to_string(window.winId()), "100", "120"});
    left = settledPlace(window);
    EXPECT_NE(left, QPoint(-1, -1));
    window.close();
    x11test::processEventsFor(100ms);
  }
  std::vector<QPoint> editors;
  for (int opening = 1; opening <= 6; ++opening) {
    SettingsWindow& window = openAndWait();
    EXPECT_EQ(settledPlace(window), left) << "settings window, opening " << opening;
    presentJavaScriptEditor(&window, {});
    JavaScriptEditor* editor = nullptr;
    ASSERT_TRUE(x11test::processEventsUntil([&] { return (editor = window.findChild<JavaScriptEditor*>()); }));
    editors.push_back(settledPlace(*editor));
    EXPECT_EQ(editors.back(), editors.front()) << "editor, opening " << opening;
    EXPECT_LE(std::abs(editors.back().x() + editor->width() / 2 - (left.x() + window.width() / 2)), 1)
        << "the editor is centred over its window";
    editor->accept();
    window.close();
    x11test::processEventsFor(100ms);
  }
}

}  // namespace
}  // namespace app
