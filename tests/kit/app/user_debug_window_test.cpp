#include "kit/app/user_debug_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "debug_windows_test_support.h"
#include "kit/app/relaunch.h"
#include "kit/ui/url_opening.h"

namespace kit {
namespace {

TEST_F(DebugWindows, TheUserWindowConfirmsTheResetAndQuitsOnlyWhenTheFeedbackPageOpened) {
  auto& controller = SingletonWindowController::shared<UserDebugWindowController>();
  QWidget* window = controller.window();
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
