#include "kit/app/launch_at_login.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "kit/app/zv_kit.h"
#include "kit/foundation/alert.h"
#include "platform/prefs/preference_file.h"
#include "platform/system/process_tree.h"
#include "support/recording_alert_presenter.h"

namespace kit {
namespace {

// This program starts as the autostart entry starts Quillet.
QCoreApplication& application() {
  static int argc = 2;
  static char name[] = "quillet";
  static char autostart[] = "--autostart";
  static char* argv[] = {name, autostart, nullptr};
  static auto* instance = new QCoreApplication(argc, argv);
  return *instance;
}

TEST(LaunchAtLoginTest, TheStateIsTheFilesAndAFailedChangeIsShownAndSpringsBack) {
  application();
  RecordingAlertPresenter presenter;
  setAlertPresenter(&presenter);
  LaunchAtLogin& launchAtLogin = LaunchAtLogin::shared();
  int announcements = 0;
  auto subscription =
      launchAtLogin.objectWillChange.publisher().sink([&](const platform::rx::Unit&) { ++announcements; });

  EXPECT_FALSE(launchAtLogin.isEnabled());
  launchAtLogin.setEnabled(true);
  EXPECT_TRUE(launchAtLogin.isEnabled());
  launchAtLogin.setEnabled(true);  // again: the entry is written anew
  EXPECT_TRUE(launchAtLogin.isEnabled());
  launchAtLogin.setEnabled(false);
  EXPECT_FALSE(launchAtLogin.isEnabled());
  EXPECT_EQ(announcements, 3);
  EXPECT_TRUE(presenter.alerts.empty());

  const std::filesystem::path folder = launchAtLogin.entry().path().parent_path();
  std::filesystem::remove_all(folder);
  std::ofstream(folder) << "a file where the folder should be";
  launchAtLogin.setEnabled(true);
  EXPECT_FALSE(launchAtLogin.isEnabled());
  EXPECT_TRUE(QTest::qWaitFor([&] { return !presenter.alerts.empty(); }, 1000));
  EXPECT_NE(presenter.alerts[0].messageText.find("autostart"), std::string::npos) << presenter.alerts[0].messageText;
  std::filesystem::remove(folder);
  setAlertPresenter(nullptr);
}

TEST(LaunchAtLoginTest, AStartByTheAutostartEntryIsRecordedWhenTheKitHasStarted) {
  EXPECT_FALSE(wasLaunchedAtLogin(std::nullopt));
  EXPECT_FALSE(wasLaunchedAtLogin(LaunchEvent{{"quillet"}, 1}));
  EXPECT_FALSE(wasLaunchedAtLogin(LaunchEvent{{"--autostart"}, 1}));  // the program's own name does not count
  EXPECT_EQ(launchingProcessID(LaunchEvent{{"quillet"}, 0}), std::nullopt);

  application();
  ZvKit::shared();
  EXPECT_TRUE(QTest::qWaitFor([] { return didFinishKitLaunch(); }, 1000));
  EXPECT_TRUE(LaunchFacts::wasLaunchedAtLogin());
  ASSERT_TRUE(LaunchFacts::launchEvent());
  EXPECT_EQ(LaunchFacts::launchEvent()->senderProcessId, getppid());
  EXPECT_EQ(LaunchFacts::launchingProcessID(), platform::topMostAncestor(getppid()));
}

}  // namespace
}  // namespace kit
