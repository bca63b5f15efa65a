#include "kit/app/data_reset.h"

#include <gtest/gtest.h>

#include <QTest>
#include <iterator>

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
  // Makes the preferences file a link to `kept`, written with `text`, as a dotfiles manager puts it in place, and
  // waits until the program reads it.
  void linkPreferencesTo(const fs::path& kept, const std::string& text) {
    auto& suite = platform::UserDefaults::standard();
    write(kept, text);
    suite.flush();
    fs::create_symlink(kept, home / "link");
    fs::rename(home / "link", suite.filePath());
    ASSERT_TRUE(QTest::qWaitFor([&] { return suite.object("someSetting") == platform::PlistValue(true); }));
  }

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
  linkPreferencesTo(kept, text);

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

// The trash on another file system than the link, which therefore cannot be moved there.
TEST_F(StartingOver, ALinkThatCannotGoToTheTrashIsRemovedAsALinkAndTheFoldersGoAllTheSame) {
  const auto elsewhere = folderOnAnotherFileSystem();
  if (!elsewhere) GTEST_SKIP() << "/dev/shm is not a file system of its own here: nothing to move across";
  const TemporaryDirectory removed(*elsewhere);
  setenv("HOME", elsewhere->c_str(), 1);
  setenv("XDG_DATA_HOME", (*elsewhere / "data").c_str(), 1);
  setenv("XDG_CACHE_HOME", (*elsewhere / "cache").c_str(), 1);
  const fs::path kept = *elsewhere / "dotfiles/quillet.plist";
  const std::string text = platform::xmlPropertyList({{"someSetting", true}});
  linkPreferencesTo(kept, text);
  write(*elsewhere / "data/com.kestrova.Quillet/state", "ours");
  write(*elsewhere / "cache/com.kestrova.Quillet/x", "ours");

  confirmDeleteSettingsAndDataAtLaunch(0x1e0000);
  EXPECT_FALSE(fs::is_symlink(platform::UserDefaults::standard().filePath())) << "the link went";
  EXPECT_EQ(contentOf(kept), text) << "the file it names stayed as it was";
  EXPECT_FALSE(fs::exists(*elsewhere / "data/com.kestrova.Quillet"));
  EXPECT_FALSE(fs::exists(*elsewhere / "cache/com.kestrova.Quillet"));
  EXPECT_EQ(contentOf(*elsewhere / "data/Trash/files/com.kestrova.Quillet/state"), "ours");
  EXPECT_EQ(presenter.messages().size(), 1u) << "only the question: nothing was left behind";
}

// A trash that cannot be made (a file in its place): the user is told what stayed, then the program starts again.
TEST_F(StartingOver, WhatCannotGoToTheTrashIsToldAndStaysWhereItWas) {
  const fs::path kept = home / "dotfiles/quillet.plist";
  linkPreferencesTo(kept, platform::xmlPropertyList({{"someSetting", true}}));
  const fs::path data = home / "data/com.kestrova.Quillet";
  const fs::path cache = home / "cache/com.kestrova.Quillet";
  write(data / "state", "ours");
  write(cache / "x", "ours");
  write(home / "data/Trash", "not a folder");
  confirmDeleteSettingsAndDataAtLaunch(0x1e0000);
  EXPECT_TRUE(fs::exists(kept));
  EXPECT_FALSE(fs::is_symlink(platform::UserDefaults::standard().filePath()));
  EXPECT_FALSE(platform::UserDefaults::standard().object("someSetting"));
  EXPECT_EQ(contentOf(data / "state"), "ours");
  EXPECT_EQ(contentOf(cache / "x"), "ours");
  ASSERT_EQ(presenter.alerts.size(), 2u);
  const Alert& told = presenter.alerts[1];
  EXPECT_EQ(told.messageText, "Some of the settings and data for Quillet could not be deleted.");
  ASSERT_TRUE(told.accessory && told.accessory->detailText);
  EXPECT_EQ(*told.accessory->detailText,
            data.string() + " is still where it was.\n" + cache.string() +
                " is still where it was: it was not tried, since the folder before it could not be moved.");
  EXPECT_TRUE(QTest::qWaitFor([&] { return relaunches == 1; }));
}

// A data folder that cannot be moved (a mount point, say) keeps the cache folder in place too: the two go in that
// order, the second only after the first.
TEST_F(StartingOver, WhenTheDataFolderCannotBeMovedTheCacheFolderIsNotTried) {
  const fs::path data = home / "data/com.kestrova.Quillet";
  const fs::path cache = home / "cache/com.kestrova.Quillet";
  write(cache / "x", "ours");
  fs::create_directories(home / "data/Trash");
  const UnmovableFolder unmovable(data);
  if (!unmovable.made()) GTEST_SKIP() << "no folder can be made one that cannot be moved here";
  write(data / "state", "ours");
  platform::UserDefaults::standard().set("someSetting", true);
  platform::UserDefaults::standard().flush();

  EXPECT_EQ(deleteSettingsAndData(),
            (std::vector<LeftBehind>{{data, LeftBehind::Reason::notMoved}, {cache, LeftBehind::Reason::notTried}}));
  EXPECT_EQ(contentOf(data / "state"), "ours");
  EXPECT_EQ(contentOf(cache / "x"), "ours");
  EXPECT_EQ(std::distance(fs::directory_iterator(data), fs::directory_iterator()), 1)
      << "no trash was left inside the folder that stayed";
  EXPECT_FALSE(fs::exists(trashed("com.kestrova.Quillet"))) << "nothing of ours went to the trash";
  EXPECT_TRUE(fs::exists(trashed("com.kestrova.Quillet.plist"))) << "the settings went on their own";
}

// A preferences file that cannot go to the trash and is no link: its settings are removed all the same, and the alert
// says that the empty file stayed.
TEST_F(StartingOver, APreferencesFileThatCannotBeMovedIsEmptiedAndTheAlertSaysSo) {
  auto& suite = platform::UserDefaults::standard();
  suite.set("someSetting", true);
  suite.flush();
  write(home / "data/Trash", "not a folder");

  confirmDeleteSettingsAndDataAtLaunch(0x1e0000);
  const auto settings = platform::parsePropertyListDictionary(contentOf(suite.filePath()));
  ASSERT_TRUE(settings);
  EXPECT_TRUE(settings->empty());
  ASSERT_EQ(presenter.alerts.size(), 2u);
  const Alert& told = presenter.alerts[1];
  ASSERT_TRUE(told.accessory && told.accessory->detailText);
  EXPECT_EQ(*told.accessory->detailText,
            suite.filePath().string() + ": its settings were removed, and the empty file stayed.");
}

}  // namespace
}  // namespace kit
