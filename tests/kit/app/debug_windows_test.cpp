// The user and developer debug windows, their panes driven like a user would, against the real preferences file
// of the test program and the real in-memory log.
#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "kit/app/debug_log_screen.h"
#include "kit/app/debug_pane_header.h"
#include "kit/app/debug_user_defaults_screen.h"
#include "kit/app/debug_window.h"
#include "kit/app/relaunch.h"
#include "kit/app/user_debug_window.h"
#include "kit/foundation/log.h"
#include "kit/preferences/key.h"
#include "kit/ui/url_opening.h"
#include "platform/pasteboard/pasteboard.h"
#include "platform/prefs/plist_codec.h"
#include "platform/prefs/preference_file.h"
#include "platform/text/whitespace.h"
#include "support/offscreen_application.h"
#include "support/recording_alert_presenter.h"

extern "C" const char* __lsan_default_options() { return "suppressions=" QUILLET_TEST_DATA "/fontconfig_leaks.supp"; }

namespace kit {
namespace {

using platform::UserDefaults;

class DebugWindows : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ensureOffscreenApplication(); }
  void SetUp() override {
    Preferences::removeAll();
    debugLogStore().clear();
    setAlertPresenter(&presenter);
  }
  void TearDown() override { setAlertPresenter(nullptr); }

  static QAction* item(DebugPaneHeader* header, const QString& title) {
    for (QAction* action : header->actionMenu()->actions())
      if (action->text() == title) return action;
    return nullptr;
  }
  // The keys of the rows shown, section by section.
  static std::vector<std::string> rowKeys(QTreeWidget* tree) {
    std::vector<std::string> keys;
    for (int s = 0; s < tree->topLevelItemCount(); ++s)
      for (int r = 0; r < tree->topLevelItem(s)->childCount(); ++r)
        keys.push_back(tree->topLevelItem(s)->child(r)->data(0, Qt::UserRole).toString().toStdString());
    return keys;
  }
  // What the preferences file on disk holds.
  static platform::PlistDict storedFile() {
    UserDefaults::standard().flush();
    return platform::parsePropertyListDictionary(*platform::readWholeFile(UserDefaults::standard().filePath()))
        .value_or(platform::PlistDict{});
  }

  RecordingAlertPresenter presenter;
  platform::MemoryPasteboard pasteboard;
};

TEST_F(DebugWindows, ThePreferencesPaneListsTheFileLiveAndDeletesCopiesAndClearsIt) {
  auto& suite = UserDefaults::standard();
  for (const char* key : {"beta", "alpha", "Zebra", "__private", "Zv_launchCount", "SessionIdHistory"})
    suite.set(key, std::string("value of ") + key);
  suite.set("multiline", std::string("one\ntwo"));
  DebugUserDefaultsScreen screen(pasteboard);
  EXPECT_EQ(screen.tree()->topLevelItem(0)->text(0), "Standard");
  EXPECT_EQ(rowKeys(screen.tree()),
            (std::vector<std::string>{"Zv_launchCount", "__private", "Zebra", "alpha", "beta", "multiline"}));

  item(screen.header(), "Copy")->trigger();
  const std::string copied = *pasteboard.string(platform::PasteboardType::string);
  EXPECT_EQ(copied.substr(0, copied.find('\n')), "Zv_launchCount: value of Zv_launchCount");
  EXPECT_NE(copied.find("\nmultiline: one\ntwo"), std::string::npos);
  EXPECT_EQ(pasteboard.string("org.nspasteboard.source"), "com.kestrova.Quillet");

  // Two rows at once: the second removal must not hit a row that moved up after the first.
  screen.tree()->topLevelItem(0)->child(3)->setSelected(true);
  screen.tree()->topLevelItem(0)->child(4)->setSelected(true);
  QTest::keyClick(screen.tree(), Qt::Key_Delete);
  EXPECT_FALSE(storedFile().count("alpha") || storedFile().count("beta"));
  EXPECT_TRUE(storedFile().count("Zebra") && storedFile().count("multiline"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return rowKeys(screen.tree()).size() == 4; }));

  suite.set("added", true);  // any change shows without reopening the pane
  EXPECT_TRUE(QTest::qWaitFor([&] { return rowKeys(screen.tree()).size() == 5; }));

  item(screen.header(), "Clear")->trigger();
  EXPECT_TRUE(QTest::qWaitFor([&] { return rowKeys(screen.tree()).empty(); }));
  EXPECT_TRUE(storedFile().empty()) << "the hidden keys go too";
  EXPECT_FALSE(item(screen.header(), "Copy")->isEnabled());
  EXPECT_FALSE(item(screen.header(), "Clear")->isEnabled());
}

TEST_F(DebugWindows, TheLogPaneFollowsTheLogAndKeepsItsCommandsAsBuilt) {
  DebugLogScreen empty(pasteboard);
  EXPECT_FALSE(item(empty.header(), "Copy")->isEnabled());
  log({"first"});
  log({"first"});
  EXPECT_TRUE(QTest::qWaitFor([&] { return empty.list()->count() == 2; }, 2000)) << "identical lines show twice";
  EXPECT_FALSE(item(empty.header(), "Clear")->isEnabled()) << "decided when the pane was built";

  DebugLogScreen screen(pasteboard);
  const auto entries = debugLogStore().entries();
  EXPECT_EQ(screen.list()->item(0)->text().toStdString(), platform::trimmingWhitespaceAndNewlines(entries[0]));
  item(screen.header(), "Copy")->trigger();
  EXPECT_EQ(pasteboard.string(platform::PasteboardType::string), entries[0] + "\n" + entries[1]);
  item(screen.header(), "Clear")->trigger();
  EXPECT_TRUE(QTest::qWaitFor([&] { return screen.list()->count() == 0; }, 2000));
  EXPECT_TRUE(item(screen.header(), "Copy")->isEnabled());
}

TEST_F(DebugWindows, TheDeveloperWindowSwitchesPanesAndCopiesTheDebugInformation) {
  DebugScreen screen(pasteboard);
  QStringList entries, titles;
  for (int row = 0; row < screen.sidebar()->count(); ++row) entries << screen.sidebar()->item(row)->text();
  EXPECT_EQ(entries, (QStringList{"Dashboard", "User Preferences", "Logs"}));
  QObject::connect(&screen, &DebugScreen::titleChanged, [&](const QString& title) { titles << title; });
  screen.sidebar()->setCurrentRow(2);
  EXPECT_NE(qobject_cast<DebugLogScreen*>(screen.pane()), nullptr);
  screen.sidebar()->setCurrentRow(1);
  EXPECT_NE(qobject_cast<DebugUserDefaultsScreen*>(screen.pane()), nullptr);
  EXPECT_EQ(titles, (QStringList{"Logs", "User Preferences"}));

  screen.sidebar()->setCurrentRow(0);
  for (auto* button : screen.pane()->findChildren<QPushButton*>())
    if (button->text() == "Copy Debug Info") button->click();
  const auto copied = pasteboard.string(platform::PasteboardType::string);
  ASSERT_TRUE(copied);
  EXPECT_EQ(copied->rfind("# Quillet ", 0), 0u);
  EXPECT_EQ(pasteboard.string("org.nspasteboard.source"), "com.kestrova.Quillet");

  auto& controller = SingletonWindowController::shared<DebugWindowController>();
  EXPECT_GE(controller.window()->width(), 800);
  EXPECT_TRUE(controller.window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  controller.window()->close();
}

TEST_F(DebugWindows, TheUserWindowConfirmsTheResetExplainsCrashReportsAndQuitsOnlyWhenTheFeedbackPageOpened) {
  auto& controller = SingletonWindowController::shared<UserDebugWindowController>();
  QWidget* window = controller.window();
  EXPECT_EQ(window->windowTitle(), "Quillet 1.0.0 — Debug");
  EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowCloseButtonHint));
  auto* view = window->findChild<UserDebugView*>();
  ASSERT_NE(view, nullptr);

  int relaunches = 0;
  setInstanceStarterForTesting([&](const std::string&, const std::vector<std::string>&, std::string&) {
    ++relaunches;
    return true;
  });
  setRelaunchTerminatorForTesting([](bool) {});
  UserDefaults::standard().set("someSetting", true);
  presenter.answer = alertFirstButtonReturn + 1;
  view->button("Delete Data & Settings")->click();
  EXPECT_EQ(presenter.messages(), std::vector<std::string>{"Delete all data and settings for Quillet?"});
  EXPECT_TRUE(UserDefaults::standard().object("someSetting")) << "cancelled";

  view->button("Send Crash Log")->click();
  EXPECT_EQ(presenter.alerts.back().messageText, "How to send crash log");
  EXPECT_EQ(presenter.alerts.back().informativeText,
            "Find the crash reports of “Quillet” with the command “coredumpctl list quillet” and email them to "
            "feedback@kestrova.com.");

  bool quit = false;
  QObject::connect(qApp, &QCoreApplication::aboutToQuit, [&] { quit = true; });
  std::vector<std::string> opened;
  setUrlOpenerForTesting([&](const platform::Url& url) {
    opened.push_back(url.absoluteString());
    return false;
  });
  view->button("Feedback & Support")->click();
  QTest::qWait(20);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].rfind("https://kestrova.com/feedback?", 0), 0u);
  EXPECT_FALSE(quit) << "the page did not open: the window stays";
  setUrlOpenerForTesting({});

  presenter.answer = alertFirstButtonReturn;
  view->button("Delete Data & Settings")->click();
  EXPECT_FALSE(UserDefaults::standard().object("someSetting"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return relaunches == 1; }));
  setInstanceStarterForTesting({});
  setRelaunchTerminatorForTesting({});
  window->close();
}

}  // namespace
}  // namespace kit
