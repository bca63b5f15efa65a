#include "kit/app/data_reset.h"

#include <gtest/gtest.h>

#include <QTest>

#include "kit/app/relaunch.h"
#include "platform/prefs/plist_codec.h"
#include "platform/prefs/user_defaults.h"
#include "private_home_test_support.h"
#include "support/recording_alert_presenter.h"

namespace kit {
namespace {

class StartingOver : public PrivateHome {
 protected:
  void SetUp() override {
    PrivateHome::SetUp();
    setAlertPresenter(&presenter);
    setInstanceStarterForTesting([this](const std::string&, const std::vector<std::string>&, std::string&) {
      ++relaunches;
      return true;
    });
    setRelaunchTerminatorForTesting([](bool) {});
  }
  void TearDown() override {
    setAlertPresenter(nullptr);
    setInstanceStarterForTesting({});
    setRelaunchTerminatorForTesting({});
    PrivateHome::TearDown();
  }
  // Where a file of the config folder is in the trash (of the private data home).
  fs::path trashed(const std::string& name) const { return home / "data/Trash/files" / name; }

  RecordingAlertPresenter presenter;
  int relaunches = 0;
};

TEST_F(StartingOver, RemovesExactlyTheProgramsOwnFilesAfterTheUserConfirms) {
  const fs::path config = platform::UserDefaults::standard().filePath().parent_path();
  const std::vector<fs::path> ours{home / "data/com.kestrova.Quillet/state", home / "cache/com.kestrova.Quillet/x"};
  // The login entry is the user's setting and stays.
  const std::vector<fs::path> others{home / "data/com.kestrova.Quillet.old/keep",
                                     home / "data/other/keep",
                                     home / "cache/keep",
                                     config / "autostart/other.desktop",
                                     config / "com.kestrova.QuilletHelper.plist",
                                     autostartEntryPath()};
  for (const auto& path : ours) write(path, "ours");
  for (const auto& path : others) write(path, "theirs");
  platform::UserDefaults::standard().set("someSetting", true);
  platform::UserDefaults::standard().flush();

  presenter.answer = alertFirstButtonReturn + 1;  // "Cancel"
  confirmDeleteSettingsAndDataAtLaunch(0x1e0000 | 0x10000);
  ASSERT_EQ(presenter.alerts.size(), 1u);
  EXPECT_TRUE(presenter.alerts[0].buttons[0].hasDestructiveAction);
  EXPECT_TRUE(fs::exists(ours[0]));
  confirmDeleteSettingsAndDataAtLaunch(0x0e0000);  // three of the four keys: not offered
  EXPECT_EQ(presenter.alerts.size(), 1u);

  presenter.answer = alertFirstButtonReturn;
  confirmDeleteSettingsAndDataAtLaunch(0x1e0000);
  for (const auto& path : ours) EXPECT_FALSE(fs::exists(path)) << path;
  for (const auto& path : others) EXPECT_TRUE(fs::exists(path)) << path;
  EXPECT_FALSE(platform::UserDefaults::standard().object("someSetting"));
  EXPECT_TRUE(fs::exists(home / "data/Trash/files/com.kestrova.Quillet/state")) << "the user can get it back";
  const auto trashedSettings = platform::parsePropertyListDictionary(contentOf(trashed("com.kestrova.Quillet.plist")));
  ASSERT_TRUE(trashedSettings);
  EXPECT_EQ(trashedSettings->count("someSetting"), 1u) << "the settings too, as they were";
  EXPECT_TRUE(QTest::qWaitFor([&] { return relaunches == 1; }));
}

TEST_F(StartingOver, ALinkedPreferencesFileGoesToTheTrashAsALinkAndTheFileItNamesStaysAsItWas) {
  auto& suite = platform::UserDefaults::standard();
  const fs::path preferences = suite.filePath();
  // Dotfiles kept in a repository.
  const fs::path kept = home / "dotfiles/quillet.plist";
  const std::string text = platform::xmlPropertyList({{"someSetting", true}, {"preserveLinks", false}});
  write(kept, text);
  suite.flush();
  fs::create_symlink(kept, home / "link");
  fs::rename(home / "link", preferences);  // as a dotfiles manager puts it in place
  ASSERT_TRUE(QTest::qWaitFor([&] { return suite.object("preserveLinks") == platform::PlistValue(false); }));

  deleteSettingsAndData();
  EXPECT_EQ(contentOf(kept), text);
  EXPECT_TRUE(fs::is_symlink(trashed("com.kestrova.Quillet.plist")));
  EXPECT_EQ(fs::read_symlink(trashed("com.kestrova.Quillet.plist")), kept) << "restoring it brings the link back";
  EXPECT_FALSE(fs::is_symlink(preferences));
  EXPECT_FALSE(suite.object("someSetting"));
  suite.set("someSetting", true);
  suite.flush();
  EXPECT_EQ(contentOf(kept), text) << "later settings go to a file of the program's own";
}

}  // namespace
}  // namespace kit
