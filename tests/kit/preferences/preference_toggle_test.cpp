#include "kit/preferences/preference_toggle.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QThread>
#include <QVBoxLayout>
#include <fstream>
#include <thread>

#include "platform/prefs/plist_codec.h"
#include "support/preference_files.h"
#include "support/title_shown.h"

// Font discovery keeps its caches for the life of the process.
extern "C" const char* __lsan_default_options() { return "suppressions=" QUILLET_TEST_DATA "/fontconfig_leaks.supp"; }

using namespace kit::Preferences;

namespace {

QApplication& application() {
  static int argc = 1;
  static char name[] = "preference_toggle_test";
  static char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static auto* app = new QApplication(argc, argv);
  return *app;
}

void processFor(int milliseconds) {
  for (int i = 0; i < milliseconds; ++i) {
    QCoreApplication::processEvents();
    QThread::msleep(1);
  }
}

// Runs the Qt loop until the condition holds (outside changes and other threads' writes arrive there).
bool processUntil(const std::function<bool()>& condition) {
  for (int i = 0; i < 300 && !condition(); ++i) processFor(10);
  return condition();
}

// A left click as the window system delivers it: what the widget leaves goes on to its parents.
void click(QWidget& widget) {
  const QPointF at(2, 2);
  QMouseEvent press(QEvent::MouseButtonPress, at, widget.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, at, widget.mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QCoreApplication::sendEvent(&widget, &press);
  QCoreApplication::sendEvent(&widget, &release);
}

class PreferenceToggleTest : public ::testing::Test {
 protected:
  PreferenceToggleTest() { application(); }
  prefs_test::TemporaryConfigHome home;
  std::shared_ptr<UserDefaults> suite = UserDefaults::named(prefs_test::uniqueSuiteName());
  Key<bool> key{"enabled", false, *suite};
};

TEST_F(PreferenceToggleTest, TheTitleIsShownAsWritten) {
  PreferenceToggle toggle("Q&A", key);
  EXPECT_EQ(titleShown(toggle), "Q&A");
  EXPECT_FALSE(hasMnemonic(toggle)) << "Alt+A switches nothing";
}

TEST_F(PreferenceToggleTest, AnInvertedToggleShowsTheNegationAndReportsTheStoredValue) {
  PreferenceToggle toggle("Hide", key, true);
  std::vector<bool> actions;
  toggle.onChange([&](bool stored) { actions.push_back(stored); });
  toggle.show();
  EXPECT_TRUE(toggle.isChecked());  // stored false, shown inverted

  toggle.click();  // switching it off stores true
  EXPECT_FALSE(toggle.isChecked());
  EXPECT_TRUE(get(key));
  EXPECT_EQ(actions, std::vector<bool>{true});
  processFor(20);  // the write's announcements come back: the same value, no second action
  EXPECT_EQ(actions, std::vector<bool>{true});
  EXPECT_FALSE(toggle.isChecked());
}

TEST_F(PreferenceToggleTest, TheActionHearsOfChangesOnlyWhileTheToggleIsOnScreen) {
  PreferenceToggle toggle("Enabled", key);
  std::vector<bool> actions;
  toggle.onChange([&](bool stored) { actions.push_back(stored); });
  set(key, true);
  EXPECT_TRUE(toggle.isChecked()) << "a hidden toggle still shows the value";
  EXPECT_TRUE(actions.empty());
  toggle.show();
  EXPECT_TRUE(actions.empty()) << "not for the value it shows first";
  set(key, false);
  toggle.hide();
  set(key, true);
  EXPECT_EQ(actions, std::vector<bool>{false});
}

TEST_F(PreferenceToggleTest, ALabelOfTheCallersSitsBesideTheBoxAndClickingItSwitchesTheToggle) {
  QLabel* made = nullptr;
  LabeledPreferenceToggle row(key, false, [&] { return made = new QLabel("<b>Enabled</b> everywhere"); });
  std::vector<bool> actions;
  row.toggle().onChange([&](bool stored) { actions.push_back(stored); });
  ASSERT_EQ(row.label(), made);
  EXPECT_EQ(made->parentWidget(), &row);
  EXPECT_TRUE(row.toggle().text().isEmpty());
  EXPECT_EQ(row.toggle().accessibleName(), "Enabled everywhere") << "a screen reader reads the label's text";
  made->setText("Enabled here");
  row.refreshAccessibleName();
  EXPECT_EQ(row.toggle().accessibleName(), "Enabled here");

  row.show();
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), made->mapToGlobal(QPointF(2, 2)), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), made->mapToGlobal(QPointF(2, 2)), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(made, &press);
  QCoreApplication::sendEvent(made, &release);
  EXPECT_TRUE(get(key));
  EXPECT_TRUE(row.toggle().isChecked());
  EXPECT_EQ(actions, std::vector<bool>{true});
}

TEST_F(PreferenceToggleTest, AClickOnAnyPartOfALabelMadeOfSeveralSwitchesTheToggle) {
  QLabel* subtitle = nullptr;
  LabeledPreferenceToggle row(key, false, [&] {
    auto* label = new QWidget;
    auto* lines = new QVBoxLayout(label);
    lines->addWidget(new QLabel("Title"));
    // A label that takes clicks itself, as one with links does.
    subtitle = new QLabel("<i>Subtitle</i>");
    subtitle->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    lines->addWidget(subtitle);
    return label;
  });
  row.show();
  click(*subtitle);
  EXPECT_TRUE(get(key));
  click(*row.label()->findChild<QLabel*>());
  EXPECT_FALSE(get(key)) << "one switch per click";

  // Over a link the click is the link's.
  subtitle->setCursor(Qt::PointingHandCursor);
  click(*subtitle);
  EXPECT_FALSE(get(key));
}

TEST_F(PreferenceToggleTest, FollowsWritesFromOtherThreadsAndOtherPrograms) {
  PreferenceToggle toggle("Enabled", key);
  EXPECT_FALSE(toggle.isChecked());
  std::thread([&] { set(key, true); }).join();
  EXPECT_TRUE(processUntil([&] { return toggle.isChecked(); }));

  // Another program edits the file: the outside change arrives through the main loop.
  suite->flush();
  auto file = suite->filePath();
  prefs_test::replaceFile(file, platform::xmlPropertyList({{"enabled", false}}));
  EXPECT_TRUE(processUntil([&] { return !toggle.isChecked(); }));

  toggle.click();
  EXPECT_TRUE(get(key));
}

TEST_F(PreferenceToggleTest, ADestroyedToggleIgnoresLaterWrites) {
  auto* toggle = new PreferenceToggle("Enabled", key);
  std::thread writer([&] {
    for (int i = 0; i < 200; ++i) set(key, i % 2 == 0);
  });
  processFor(1);
  delete toggle;
  writer.join();
  processFor(20);  // queued updates for the deleted box are dropped, not run
  SUCCEED();
}

}  // namespace
