// The login item as an XDG autostart entry in a private config home, and the walk up the process tree that
// finds who started the program.
#include "platform/system/autostart_entry.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/core/error.h"
#include "platform/prefs/preference_file.h"
#include "platform/system/desktop_entry.h"
#include "platform/system/process_tree.h"

namespace {

using platform::AutostartEntry;

std::string contents(const std::filesystem::path& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// The test program has a private config home of its own.
class AutostartEntryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = platform::configDirectory();
    std::filesystem::remove_all(home_ / "autostart");
  }

  std::filesystem::path home_;
  // A path with every character the Exec line must quote or escape.
  const std::string executable = "/opt/My Apps/$HOME \"q\" `x` back\\slash 50%/quillet";
  AutostartEntry entry{{.id = "com.example.Quillet",
                        .name = "Quillet",
                        .executable = executable,
                        .arguments = {"--autostart"},
                        .iconName = "com.example.Quillet"}};
};

TEST_F(AutostartEntryTest, EnablingWritesAnEntryThatStartsExactlyThisProgramAndDisablingRemovesIt) {
  EXPECT_EQ(entry.path(), home_ / "autostart" / "com.example.Quillet.desktop");
  EXPECT_FALSE(entry.isEnabled());
  entry.disable();  // nothing there yet: fine

  entry.enable();
  EXPECT_TRUE(entry.isEnabled());
  const std::string text = contents(entry.path());
  auto parsed = platform::parseDesktopEntry(text, "C");
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->name, "Quillet");
  EXPECT_EQ(parsed->icon, "com.example.Quillet");
  EXPECT_EQ(platform::programOfExec(parsed->exec), executable);
  EXPECT_TRUE(parsed->exec.ends_with("\" --autostart")) << parsed->exec;
  EXPECT_NE(text.find("\nX-GNOME-Autostart-Delay=3\n"), std::string::npos);
  EXPECT_NE(text.find("\nX-KDE-autostart-after=panel\n"), std::string::npos);

  entry.disable();
  EXPECT_FALSE(std::filesystem::exists(entry.path()));
  EXPECT_FALSE(entry.isEnabled());
}

TEST_F(AutostartEntryTest, AnEntrySwitchedOffByTheDesktopIsNotEnabledUntilEnabledAgain) {
  entry.enable();
  for (const char* switchedOff : {"Hidden=true", "X-GNOME-Autostart-enabled=false"}) {
    std::ofstream(entry.path()) << entry.text() << switchedOff << "\n";
    EXPECT_FALSE(entry.isEnabled()) << switchedOff;
    entry.enable();
    EXPECT_TRUE(entry.isEnabled()) << switchedOff;
  }
  std::ofstream(entry.path()) << "not a desktop file";
  EXPECT_FALSE(entry.isEnabled());
}

TEST_F(AutostartEntryTest, AUsersOwnEntryIsSwitchedOffWithHiddenAndOnAgainKeepingItsKeys) {
  const std::string keys =
      "# started with a clean locale\n"
      "[Desktop Entry]\n"
      "Type=Application\n"
      "Name=Quillet (mine)\n"
      "Exec=env LANG=C quillet --autostart\n";
  const std::string action = "[Desktop Action clear]\nName=Clear\nHidden=true\n";
  std::filesystem::create_directories(entry.path().parent_path());
  for (const char* switchedOff : {"Hidden=true\n", "X-GNOME-Autostart-enabled=false\n"}) {
    std::ofstream(entry.path()) << keys << switchedOff << action;
    entry.enable();
    EXPECT_TRUE(entry.isEnabled());
    EXPECT_EQ(contents(entry.path()), keys + action) << "only what switched it off went";

    entry.disable();
    EXPECT_FALSE(entry.isEnabled());
    EXPECT_EQ(contents(entry.path()), keys + "Hidden=true\n" + action) << "kept, and switched off";
  }

  // The program's own entry, from where it was installed before and switched off by the desktop, is its own still.
  AutostartEntry earlier{{.id = "com.example.Quillet",
                          .name = "Quillet",
                          .executable = "/opt/old/quillet",
                          .arguments = {"--autostart"},
                          .iconName = "com.example.Quillet"}};
  std::ofstream(entry.path()) << earlier.text() << "Hidden=true\n";
  entry.enable();
  EXPECT_EQ(contents(entry.path()), entry.text());
  std::ofstream(entry.path()) << earlier.text();
  entry.disable();
  EXPECT_FALSE(std::filesystem::exists(entry.path()));
}

TEST_F(AutostartEntryTest, ALinkIsNeverWrittenThroughWhenSwitchedOffOrOn) {
  std::filesystem::create_directories(entry.path().parent_path());
  const auto linkTo = [&](const std::filesystem::path& target, const std::string& text) {
    std::filesystem::create_directories(target.parent_path());
    std::ofstream(target) << text;
    std::filesystem::remove(entry.path());
    std::filesystem::create_symlink(target, entry.path());
  };
  // The program's launcher entry, linked into the autostart folder by hand.
  const auto launcher = home_ / "applications" / "com.example.Quillet.desktop";
  const std::string launcherText =
      "[Desktop Entry]\nType=Application\nName=Quillet\nExec=quillet %U\nActions=clear;\n\n"
      "[Desktop Action clear]\nName=Clear\nExec=quillet clear-clipboard-formatting\n";
  linkTo(launcher, launcherText);
  EXPECT_TRUE(entry.isEnabled());
  entry.enable();
  EXPECT_TRUE(std::filesystem::is_symlink(entry.path())) << "it starts the program already";
  entry.disable();
  EXPECT_FALSE(entry.isEnabled());
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(entry.path())));
  EXPECT_EQ(contents(launcher), launcherText) << "still in the menus";
  entry.enable();
  EXPECT_TRUE(entry.isEnabled());
  EXPECT_EQ(contents(entry.path()), entry.text());
  EXPECT_EQ(contents(launcher), launcherText);

  // An entry kept in a repository of dotfiles, switched off there: switching on puts an entry in the link's place.
  const auto dotfile = home_ / "dotfiles" / "quillet-autostart.desktop";
  const std::string switchedOff = entry.text() + "Hidden=true\n";
  linkTo(dotfile, switchedOff);
  EXPECT_FALSE(entry.isEnabled());
  entry.enable();
  EXPECT_TRUE(entry.isEnabled());
  EXPECT_FALSE(std::filesystem::is_symlink(entry.path()));
  EXPECT_EQ(contents(entry.path()), entry.text());
  EXPECT_EQ(contents(dotfile), switchedOff);

  // A link to another program's entry, switched off or on: that program is not what switching on starts.
  const auto other = home_ / "dotfiles" / "syncthing-start.desktop";
  for (const std::string switchedOff : {"Hidden=true\n", "X-GNOME-Autostart-enabled=false\n", ""}) {
    const std::string otherText =
        "[Desktop Entry]\nType=Application\nName=Syncthing\nExec=syncthing serve --no-browser\n" + switchedOff;
    linkTo(other, otherText);
    EXPECT_FALSE(entry.isEnabled()) << switchedOff;
    entry.enable();
    EXPECT_TRUE(entry.isEnabled()) << switchedOff;
    EXPECT_FALSE(std::filesystem::is_symlink(entry.path())) << switchedOff;
    EXPECT_EQ(contents(entry.path()), entry.text()) << switchedOff;
    EXPECT_EQ(contents(other), otherText) << switchedOff;
  }

  // A link naming nothing is replaced, and nothing is made where it pointed.
  const auto nowhere = home_ / "gone" / "quillet.desktop";
  std::filesystem::remove(entry.path());
  std::filesystem::create_symlink(nowhere, entry.path());
  entry.enable();
  EXPECT_TRUE(entry.isEnabled());
  EXPECT_FALSE(std::filesystem::exists(nowhere.parent_path()));
}

TEST_F(AutostartEntryTest, AFolderThatCannotBeMadeIsAnError) {
  std::ofstream(home_ / "autostart") << "a file where the folder should be";
  EXPECT_THROW(entry.enable(), platform::PlatformError);
  EXPECT_FALSE(entry.isEnabled());
  EXPECT_EQ(platform::quotedExecArgument("/usr/bin/quillet"), "/usr/bin/quillet");
  EXPECT_EQ(platform::quotedExecArgument("50%"), "50%%");
}

TEST(ProcessTreeTest, ReadsParentAndGroupAndWalksUpToTheTop) {
  EXPECT_EQ(platform::parseProcessStat("123 (a) b (c)) S 45 67 67 0 -1\n")->parentPid, 45);
  EXPECT_EQ(platform::parseProcessStat("123 (a) b (c)) S 45 67 67 0 -1\n")->processGroup, 67);
  EXPECT_FALSE(platform::parseProcessStat("123 (name"));
  EXPECT_FALSE(platform::parseProcessStat("123 (a) S x 67"));

  auto own = platform::processStat(getpid());
  ASSERT_TRUE(own);
  EXPECT_EQ(own->parentPid, getppid());
  int32_t top = getpid();
  while (auto stat = platform::processStat(top)) {
    if (stat->parentPid <= 1) break;
    top = stat->parentPid;
  }
  EXPECT_EQ(platform::topMostAncestor(getpid()), top);
  EXPECT_EQ(platform::topMostAncestor(-5), std::nullopt);
}

}  // namespace
