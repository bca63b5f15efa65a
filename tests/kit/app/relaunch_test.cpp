#include "kit/app/relaunch.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "kit/app/launch_history.h"
#include "kit/foundation/alert.h"
#include "kit/foundation/report_error.h"
#include "platform/core/executor.h"
#include "platform/prefs/user_defaults.h"
#include "support/recording_alert_presenter.h"
#include "support/temporary_folder.h"

namespace {

namespace History = kit::LaunchHistory;

class RelaunchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::setMainExecutorForTesting(&mainQueue_);
    kit::setAlertPresenter(&presenter_);
    kit::setRelaunchTerminatorForTesting([this](bool exitImmediately) { terminations_.push_back(exitImmediately); });
  }
  void TearDown() override {
    kit::setInstanceStarterForTesting(nullptr);
    kit::setRelaunchTerminatorForTesting(nullptr);
    kit::setAlertPresenter(nullptr);
    platform::setMainExecutorForTesting(nullptr);
    History::wasRelaunchedKey(suite()).reset();
    History::showsSettingsAfterRelaunchKey(suite()).reset();
  }

  void relaunch(kit::RelaunchOptions options) {
    kit::requestRelaunch(options);
    mainQueue_.runUntilIdle();
  }
  static platform::UserDefaults& suite() { return platform::UserDefaults::standard(); }
  static bool stored(const kit::Preferences::Key<bool>& key) {
    auto value = suite().object(key.name());
    return value && value->is<bool>() && *value->get<bool>();
  }

  platform::ManualExecutor mainQueue_;
  RecordingAlertPresenter presenter_;
  std::vector<bool> terminations_;
};

TEST_F(RelaunchTest, AFailedStartIsShownAndClearsEverythingSoALaterRelaunchCanRun) {
  std::vector<std::vector<std::string>> starts;
  kit::setInstanceStarterForTesting(
      [&](const std::string&, const std::vector<std::string>& arguments, std::string& error) {
        starts.push_back(arguments);
        error = "No such file or directory";
        return false;
      });
  for (bool useShell : {false, true}) {
    relaunch({.showSettingsAfterRelaunch = true, .useShell = useShell});
    EXPECT_FALSE(stored(History::wasRelaunchedKey())) << useShell;
    EXPECT_FALSE(stored(History::showsSettingsAfterRelaunchKey())) << useShell;
  }
  EXPECT_EQ(starts.size(), 2u);
  ASSERT_EQ(presenter_.messages().size(), 2u);
  EXPECT_EQ(presenter_.messages()[0], "Could not restart Quillet: No such file or directory");
  EXPECT_TRUE(terminations_.empty());

  relaunch({.exitImmediately = true});
  EXPECT_EQ(presenter_.messages().size(), 2u) << "a quiet relaunch shows nothing";
}

TEST_F(RelaunchTest, AFailedFallbackIsMarkedOnlyOnTheReportThatComesWithAnAlert) {
  const TemporaryFolder bin;
  std::ofstream(bin.path() / "quillet") << "#!/bin/sh\n";
  std::filesystem::permissions(bin.path() / "quillet", std::filesystem::perms::owner_all);
  const std::string savedPath = std::getenv("PATH");
  setenv("PATH", bin.path().c_str(), 1);
  std::vector<std::string> programs;
  kit::setInstanceStarterForTesting([&](const std::string& program, const std::vector<std::string>&, std::string&) {
    programs.push_back(program);
    return false;
  });
  std::vector<bool> markedFallback;
  kit::ZvApp::setReportedErrorSinkForTesting(
      [&](const platform::PlatformError& error) { markedFallback.push_back(error.userInfo().contains("isFallback")); });
  relaunch({});
  relaunch({.reportFailureOnly = true});
  kit::ZvApp::setReportedErrorSinkForTesting({});
  setenv("PATH", savedPath.c_str(), 1);

  ASSERT_EQ(programs.size(), 4u);
  EXPECT_EQ(programs[1], (bin.path() / "quillet").string());
  EXPECT_EQ(markedFallback, (std::vector<bool>{true, false}));
  EXPECT_EQ(presenter_.messages().size(), 1u);
}

TEST_F(RelaunchTest, ASuccessfulStartLeavesTheMarkersForTheNewInstanceAndRunsOnce) {
  std::vector<std::string> programs;
  kit::setInstanceStarterForTesting(
      [&](const std::string& program, const std::vector<std::string>& arguments, std::string&) {
        programs.push_back(program);
        EXPECT_EQ(arguments.back(), kit::relaunchArgument);
        return true;
      });
  kit::requestRelaunch({.showSettingsAfterRelaunch = true});
  kit::requestRelaunch({});
  mainQueue_.runUntilIdle();
  EXPECT_EQ(programs.size(), 1u);
  EXPECT_EQ(terminations_, std::vector<bool>{false});
  EXPECT_TRUE(stored(History::wasRelaunchedKey()));
  EXPECT_TRUE(stored(History::showsSettingsAfterRelaunchKey()));
}

TEST_F(RelaunchTest, TheShellFormStartsTheShellAndEndsThisProcessOrReportsQuietlyWhenAsked) {
  std::vector<std::string> programs;
  bool starts = true;
  kit::setInstanceStarterForTesting(
      [&](const std::string& program, const std::vector<std::string>&, std::string& error) {
        programs.push_back(program);
        error = "Permission denied";
        return starts;
      });
  kit::relaunchUsingShell(/*exitImmediately=*/true, /*reportFailureOnly=*/false);
  EXPECT_EQ(programs, std::vector<std::string>{"/bin/sh"});
  EXPECT_EQ(terminations_, std::vector<bool>{true});

  starts = false;
  suite().set(History::wasRelaunchedKey().name(), platform::PlistValue(true));
  kit::relaunchUsingShell(/*exitImmediately=*/false, /*reportFailureOnly=*/true);
  mainQueue_.runUntilIdle();
  EXPECT_TRUE(presenter_.messages().empty()) << "a failure asked to be reported only shows nothing";
  EXPECT_FALSE(stored(History::wasRelaunchedKey())) << "the next launch must not believe it was relaunched";
  EXPECT_EQ(terminations_.size(), 1u);

  kit::relaunchUsingShell(/*exitImmediately=*/false, /*reportFailureOnly=*/false);
  mainQueue_.runUntilIdle();
  EXPECT_EQ(presenter_.messages(), std::vector<std::string>{"Could not restart Quillet: Permission denied"});
}

TEST(ShellRelaunchTest, ThePathIsNeverReadAsShellText) {
  char pattern[] = "/tmp/quillet-shell-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::filesystem::path folder = pattern;
  const std::filesystem::path program = folder / "a \"b\" $(touch pwned) `touch pwned2` \\ 'c'";
  const std::filesystem::path record = folder / "arguments";
  {
    std::ofstream script(program);
    script << "#!/bin/sh\nprintf '%s\\n' \"$0\" \"$@\" > '" << record.string() << "'\n";
  }
  std::filesystem::permissions(program, std::filesystem::perms::owner_all);

  std::vector<std::string> command{"/bin/sh"};
  for (const auto& argument : kit::shellRelaunchArguments(program)) command.push_back(argument);
  std::string line;
  for (const auto& argument : command) {
    line += "'";
    for (char c : argument) line += c == '\'' ? std::string("'\\''") : std::string(1, c);
    line += "' ";
  }
  ASSERT_EQ(std::system(("cd " + folder.string() + " && " + line).c_str()), 0);

  std::ifstream file(record);
  std::stringstream text;
  text << file.rdbuf();
  EXPECT_EQ(text.str(), program.string() + "\n--relaunch\n");
  EXPECT_FALSE(std::filesystem::exists(folder / "pwned"));
  EXPECT_FALSE(std::filesystem::exists(folder / "pwned2"));
  std::filesystem::remove_all(folder);
}

}  // namespace
