#include "kit/app/debug_settings_screen.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QListWidget>
#include <QTest>

#include "debug_windows_test_support.h"
#include "kit/app/debug_window.h"
#include "kit/app/relaunch.h"
#include "support/screenshots.h"

namespace kit {
namespace {

class DebugSettings : public DebugWindows {
 protected:
  void SetUp() override {
    DebugWindows::SetUp();
    setInstanceStarterForTesting([this](const std::string&, const std::vector<std::string>&, std::string&) {
      ++relaunches;
      return true;
    });
    setRelaunchTerminatorForTesting([](bool) {});
  }
  void TearDown() override {
    setInstanceStarterForTesting({});
    setRelaunchTerminatorForTesting({});
    DebugWindows::TearDown();
  }
  int relaunches = 0;
};

TEST_F(DebugSettings, TheFourthPaneStoresEachSwitchAndRelaunchesOnce) {
  DebugScreen screen(pasteboard);
  QStringList titles;
  QObject::connect(&screen, &DebugScreen::titleChanged, [&](const QString& title) { titles << title; });
  screen.resize(900, 460);
  screen.sidebar()->setCurrentRow(3);
  EXPECT_EQ(screen.sidebar()->item(3)->text(), "Settings");
  EXPECT_EQ(titles, QStringList{"Settings"});
  ASSERT_NE(qobject_cast<DebugSettingsScreen*>(screen.pane()), nullptr);
  QStringList switches;
  for (auto* box : screen.pane()->findChildren<QCheckBox*>()) switches << box->text();
  EXPECT_EQ(switches,
            (QStringList{"Draw Outlines Around Views", "Visualize Mutually Exclusive Constraints", "Log AppKit Events",
                         "Show Internal AppKit Debug Menu", "Highlight Drawn Rectangles"}));
  screen.show();
  saveScreenshot(screen, "developer-settings-pane.png");

  QCheckBox* events = screen.pane()->findChildren<QCheckBox*>()[2];
  events->click();
  EXPECT_EQ(storedFile()["NSTraceEvents"], platform::PlistValue(true));
  EXPECT_TRUE(QTest::qWaitFor([&] { return relaunches == 1; }));
  // A second change before the program has gone is still stored, and starts no second instance.
  screen.pane()->findChildren<QCheckBox*>()[0]->click();
  EXPECT_EQ(storedFile()["NSShowAllViews"], platform::PlistValue(true));
  QTest::qWait(50);
  EXPECT_EQ(relaunches, 1);
}

TEST_F(DebugSettings, HighlightingFlipsTheStoredTextHoweverTheBoxIsSwitched) {
  UserDefaults::standard().set("NSShowAllDrawing", "yes");
  HighlightDrawnRectanglesToggle toggle;
  EXPECT_FALSE(toggle.isChecked()) << "only \"200\" reads as on";

  toggle.click();
  EXPECT_TRUE(toggle.isChecked());
  EXPECT_EQ(storedFile()["NSShowAllDrawing"], platform::PlistValue("200"));
  EXPECT_EQ(storedFile()["NSShowAllDrawingColor"], platform::PlistValue("cycle"));

  // As a screen reader switches it.
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&toggle);
  ASSERT_TRUE(accessible && accessible->actionInterface());
  accessible->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
  EXPECT_FALSE(toggle.isChecked());
  EXPECT_EQ(storedFile()["NSShowAllDrawing"], platform::PlistValue("no"));
  EXPECT_EQ(storedFile()["NSShowAllDrawingColor"], platform::PlistValue("cycle")) << "the colour stays";
  EXPECT_TRUE(QTest::qWaitFor([&] { return relaunches == 1; }));
}

}  // namespace
}  // namespace kit
