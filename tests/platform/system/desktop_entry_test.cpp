#include "platform/system/desktop_entry.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>

#include "platform/system/workspace.h"

namespace {

using platform::DesktopEntries;
using platform::parseDesktopEntry;

TEST(DesktopEntryParsing, ReadsTheMainGroupWithLocalizedNameAndEscapes) {
  const char* text =
      "# comment\n"
      "[Desktop Entry]\n"
      "Type=Application\n"
      "Name=Text Editor\n"
      "Name[de]=Texteditor\n"
      "Name[de_AT]=Texteditor (AT)\n"
      "Name[sr@latin]=Uređivač\n"
      "Icon=org.example.Editor\n"
      "Exec=editor --new-window\\s%U\n"
      "StartupWMClass=EditorMain\n"
      "[Desktop Action new]\n"
      "Name=Overridden by an action\n";
  auto de = parseDesktopEntry(text, "de_DE.UTF-8");
  ASSERT_TRUE(de);
  EXPECT_EQ(de->name, "Texteditor");
  EXPECT_EQ(de->icon, "org.example.Editor");
  EXPECT_EQ(de->exec, "editor --new-window %U");
  EXPECT_EQ(de->startupWmClass, "EditorMain");
  EXPECT_EQ(parseDesktopEntry(text, "de_AT.UTF-8@euro")->name, "Texteditor (AT)");
  EXPECT_EQ(parseDesktopEntry(text, "sr_RS@latin")->name, "Uređivač");
  EXPECT_EQ(parseDesktopEntry(text, "fr_FR")->name, "Text Editor");
  EXPECT_EQ(parseDesktopEntry(text, "C")->name, "Text Editor");
}

TEST(DesktopEntryParsing, RejectsWhatIsNotAnApplication) {
  EXPECT_FALSE(parseDesktopEntry("[Desktop Entry]\nType=Link\nName=Site\nURL=https://example.com\n", "C"));
  EXPECT_FALSE(parseDesktopEntry("[Desktop Entry]\nType=Application\n", "C"));
  EXPECT_FALSE(parseDesktopEntry("[Other Group]\nType=Application\nName=X\n", "C"));
  EXPECT_FALSE(parseDesktopEntry(std::string("\0\xff[Desktop Entry\n=\n", 18), "C"));
  // A hidden entry needs nothing else: it exists to shadow the id.
  auto hidden = parseDesktopEntry("[Desktop Entry]\nHidden=true\n", "C");
  ASSERT_TRUE(hidden);
  EXPECT_TRUE(hidden->hidden);
}

TEST(DesktopEntryParsing, FindsTheProgramOfAnExecLine) {
  EXPECT_EQ(platform::programOfExec("firefox-esr %u"), "firefox-esr");
  EXPECT_EQ(platform::programOfExec("\"/opt/My App/run\" --flag"), "/opt/My App/run");
  EXPECT_EQ(platform::programOfExec("env GDK_BACKEND=x11 LANG=C /usr/bin/editor %F"), "/usr/bin/editor");
  EXPECT_EQ(platform::programOfExec(""), "");
  EXPECT_EQ(platform::desktopEntryIdForRelativePath("kde4/konsole.desktop"), "kde4-konsole");
  EXPECT_EQ(platform::desktopEntryIdForRelativePath("readme.txt"), std::nullopt);
}

class DesktopEntryIndex : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/quillet-entries-XXXXXX";
    root_ = mkdtemp(pattern);
    setenv("XDG_DATA_HOME", (root_ / "home").c_str(), 1);
    setenv("XDG_DATA_DIRS", (root_ / "system").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
    setenv("LANG", "C", 1);
  }
  void TearDown() override {
    std::filesystem::remove_all(root_);
    unsetenv("XDG_DATA_HOME");
    unsetenv("XDG_DATA_DIRS");
    unsetenv("XDG_CONFIG_HOME");
  }
  void write(const std::string& relative, const std::string& content) {
    auto file = root_ / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << content;
  }
  static std::string app(const std::string& name, const std::string& extra = "") {
    return "[Desktop Entry]\nType=Application\nName=" + name + "\n" + extra;
  }
  std::filesystem::path root_;
};

TEST_F(DesktopEntryIndex, UserEntriesShadowSystemOnesAndHiddenMeansNotInstalled) {
  write("system/applications/org.example.A.desktop", app("System A"));
  write("system/applications/org.example.B.desktop", app("System B"));
  write("system/applications/vendor/tool.desktop", app("Vendor Tool"));
  write("home/applications/org.example.A.desktop", app("User A"));
  write("home/applications/org.example.B.desktop", "[Desktop Entry]\nHidden=true\n");

  ASSERT_TRUE(DesktopEntries::lookup("org.example.A"));
  EXPECT_EQ(DesktopEntries::lookup("org.example.A")->name, "User A");
  EXPECT_EQ(DesktopEntries::lookup("org.example.A")->path, root_ / "home/applications/org.example.A.desktop");
  EXPECT_FALSE(DesktopEntries::lookup("org.example.B"));
  EXPECT_EQ(DesktopEntries::lookup("vendor-tool")->name, "Vendor Tool");
  EXPECT_FALSE(DesktopEntries::lookup("org.example.a"));  // ids are case-sensitive
  EXPECT_EQ(DesktopEntries::all().size(), 2u);
  EXPECT_EQ(DesktopEntries::idForFile(root_ / "system/applications/vendor/tool.desktop"), "vendor-tool");

  // Installing and removing are noticed.
  write("home/applications/org.example.C.desktop", app("C"));
  EXPECT_TRUE(DesktopEntries::lookup("org.example.C"));
  std::filesystem::remove(root_ / "home/applications/org.example.A.desktop");
  EXPECT_EQ(DesktopEntries::lookup("org.example.A")->name, "System A");
}

TEST_F(DesktopEntryIndex, MatchesWindowClassesAndExecutables) {
  write("system/applications/org.example.Editor.desktop", app("Editor", "StartupWMClass=EditorMain\n"));
  write("system/applications/gimp.desktop", app("GIMP"));
  write("system/applications/shell.desktop", app("Shell", "Exec=env FOO=1 sh -c true\n"));
  EXPECT_EQ(DesktopEntries::matchingWmClass("editormain")->id, "org.example.Editor");
  EXPECT_EQ(DesktopEntries::matchingWmClass("Gimp")->id, "gimp");
  EXPECT_FALSE(DesktopEntries::matchingWmClass("unknown"));
  EXPECT_FALSE(DesktopEntries::matchingWmClass(""));
  auto sh = DesktopEntries::matchingExecutable(std::filesystem::canonical("/bin/sh"));
  ASSERT_TRUE(sh);
  EXPECT_EQ(sh->id, "shell");
}

TEST_F(DesktopEntryIndex, DefaultSchemeHandlerIsTheFirstInstalledOneInXdgOrder) {
  write("system/applications/mail-a.desktop", app("Mail A"));
  write("system/applications/mail-b.desktop", app("Mail B"));
  write("system/applications/mimeapps.list", "[Default Applications]\nx-scheme-handler/mailto=mail-a.desktop\n");
  EXPECT_EQ(platform::defaultApplicationId("mailto"), "mail-a");
  write("config/mimeapps.list",
        "[Added Associations]\nx-scheme-handler/mailto=mail-a.desktop\n"
        "[Default Applications]\nx-scheme-handler/mailto=missing.desktop;mail-b.desktop;\n");
  EXPECT_EQ(platform::defaultApplicationId("mailto"), "mail-b");
  EXPECT_EQ(platform::defaultApplicationId("gopher"), std::nullopt);
}

}  // namespace
