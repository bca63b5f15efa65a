// Where the settings window and the script editor come up on a real X server: centred on the screen at first, then
// where the user left the window.
#include <gtest/gtest.h>

#include <QDialog>
#include <QGuiApplication>
#include <QScreen>

#include "app/javascript_editor.h"
#include "app/settings_window.h"
#include "x11_session_support.h"

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
  // Centred over its window, less the window frame that Qt allows for when no window manager tells it one.
  const QPoint editorOffset = offsetFromScreenMiddle(*editor);
  EXPECT_LE(std::abs(editorOffset.x()), 10) << "at " << editor->x() << "," << editor->y();
  EXPECT_LE(std::abs(editorOffset.y()), 40) << "at " << editor->x() << "," << editor->y();
  editor->accept();

  window->move(40, 50);
  ASSERT_TRUE(x11test::processEventsUntil([&] { return window->pos() == QPoint(40, 50); }));
  window->close();
  x11test::processEventsFor(100ms);
  window = &openAndWait();
  EXPECT_EQ(window->pos(), QPoint(40, 50)) << "opened again in the same run";
}

}  // namespace
}  // namespace app
