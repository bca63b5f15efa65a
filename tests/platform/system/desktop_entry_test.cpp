#include "platform/system/desktop_entry.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "support/xdg_folders.h"

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
      "Icon = org.example.Editor \t\r\n"
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
  EXPECT_EQ(platform::programOfExec("\"/opt/50%% off/run\" %u"), "/opt/50% off/run");
  EXPECT_EQ(platform::desktopEntryIdForRelativePath("kde4/konsole.desktop"), "kde4-konsole");
  EXPECT_EQ(platform::desktopEntryIdForRelativePath("readme.txt"), std::nullopt);
}

TEST(DesktopEntryIndex, UserEntriesShadowSystemOnesAndHiddenMeansNotInstalled) {
  TemporaryXdgFolders xdg;
  xdg.write("system/applications/org.example.A.desktop", applicationEntry("System A"));
  xdg.write("system/applications/org.example.B.desktop", applicationEntry("System B"));
  xdg.write("system/applications/vendor/tool.desktop", applicationEntry("Vendor Tool"));
  xdg.write("home/applications/org.example.A.desktop", applicationEntry("User A"));
  xdg.write("home/applications/org.example.B.desktop", "[Desktop Entry]\nHidden=true\n");

  ASSERT_TRUE(DesktopEntries::lookup("org.example.A"));
  EXPECT_EQ(DesktopEntries::lookup("org.example.A")->name, "User A");
  EXPECT_EQ(DesktopEntries::lookup("org.example.A")->path, xdg.root() / "home/applications/org.example.A.desktop");
  EXPECT_FALSE(DesktopEntries::lookup("org.example.B"));
  EXPECT_EQ(DesktopEntries::lookup("vendor-tool")->name, "Vendor Tool");
  EXPECT_FALSE(DesktopEntries::lookup("org.example.a"));  // ids are case-sensitive
  EXPECT_EQ(DesktopEntries::all().size(), 2u);
  EXPECT_EQ(DesktopEntries::idForFile(xdg.root() / "system/applications/vendor/tool.desktop"), "vendor-tool");

  // Installing and removing are noticed.
  xdg.write("home/applications/org.example.C.desktop", applicationEntry("C"));
  EXPECT_TRUE(DesktopEntries::lookup("org.example.C"));
  std::filesystem::remove(xdg.root() / "home/applications/org.example.A.desktop");
  EXPECT_EQ(DesktopEntries::lookup("org.example.A")->name, "System A");
}

TEST(DesktopEntryIndex, EveryChangeInTheFoldersAndTheLocaleIsSeenByTheNextLookup) {
  TemporaryXdgFolders xdg;
  std::filesystem::create_directories(xdg.root() / "home");
  EXPECT_FALSE(DesktopEntries::lookup("org.example.A"));  // no applications folder exists yet

  xdg.install("org.example.A", applicationEntry("A", "Name[de]=A auf Deutsch\n"));
  ASSERT_TRUE(DesktopEntries::lookup("org.example.A"));
  EXPECT_EQ(DesktopEntries::lookup("org.example.A")->name, "A");
  setenv("LANG", "de_DE.UTF-8", 1);
  EXPECT_EQ(DesktopEntries::lookup("org.example.A")->name, "A auf Deutsch");
  setenv("LANG", "C", 1);
  EXPECT_EQ(DesktopEntries::lookup("org.example.A")->name, "A");

  xdg.install("org.example.A", applicationEntry("A, rewritten"));  // in place: the folder's time stays
  EXPECT_EQ(DesktopEntries::lookup("org.example.A")->name, "A, rewritten");

  xdg.write("system/applications/vendor/tool.desktop", applicationEntry("Tool"));
  EXPECT_TRUE(DesktopEntries::lookup("vendor-tool"));
  xdg.write("system/applications/vendor/tool.desktop", "[Desktop Entry]\nHidden=true\n");
  EXPECT_FALSE(DesktopEntries::lookup("vendor-tool"));

  xdg.write("home/applications/org.example.A.desktop", applicationEntry("User A"));
  EXPECT_EQ(DesktopEntries::lookup("org.example.A")->name, "User A");
  std::filesystem::remove(xdg.root() / "home/applications/org.example.A.desktop");
  EXPECT_EQ(DesktopEntries::lookup("org.example.A")->name, "A, rewritten");
  std::filesystem::remove_all(xdg.root() / "system");
  EXPECT_TRUE(DesktopEntries::all().empty());
}

// Start-up reads the folders on a background thread while the first copies may already ask.
TEST(DesktopEntryIndex, LookupsWhileTheFoldersAreReadAheadGetTheSameAnswers) {
  TemporaryXdgFolders xdg;
  for (int i = 0; i < 200; ++i)
    xdg.install("org.example.App" + std::to_string(i), applicationEntry("App " + std::to_string(i)));
  const auto readingAhead = DesktopEntries::readAhead();
  ASSERT_TRUE(DesktopEntries::lookup("org.example.App150"));
  EXPECT_EQ(DesktopEntries::lookup("org.example.App150")->name, "App 150");
  EXPECT_EQ(DesktopEntries::all().size(), 200u);

  xdg.install("org.example.Late", applicationEntry("Late"));
  const auto readingAgain = DesktopEntries::readAhead();
  EXPECT_EQ(DesktopEntries::all().size(), 201u) << "an install between two read-aheads is seen";
  // Both are done before the folders go.
  ASSERT_EQ(readingAhead.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  ASSERT_EQ(readingAgain.wait_for(std::chrono::seconds(10)), std::future_status::ready);
}

TEST(DesktopEntryIndex, ALookupWithNothingChangedInTheFoldersDoesNotReadThemAgain) {
  TemporaryXdgFolders xdg;
  // An entry whose file lies outside the folders: its text can change while nothing in them does.
  const auto target = xdg.write("elsewhere/linked.desktop", applicationEntry("Before"));
  std::filesystem::create_directories(xdg.root() / "system/applications");
  std::filesystem::create_symlink(target, xdg.root() / "system/applications/org.example.Linked.desktop");
  ASSERT_TRUE(DesktopEntries::lookup("org.example.Linked"));  // installed as a link, as package managers do
  EXPECT_EQ(DesktopEntries::lookup("org.example.Linked")->name, "Before");

  xdg.write("elsewhere/linked.desktop", applicationEntry("After"));
  // Beside the data home, which does not exist yet and whose appearance is awaited.
  xdg.write("recently-used.xbel", "<xbel/>");
  EXPECT_EQ(DesktopEntries::lookup("org.example.Linked")->name, "Before");

  xdg.install("org.example.Other", applicationEntry("Other"));
  EXPECT_EQ(DesktopEntries::lookup("org.example.Linked")->name, "After");
}

TEST(DesktopEntryIndex, MatchesWindowClassesAndExecutables) {
  TemporaryXdgFolders xdg;
  xdg.write("system/applications/org.example.Editor.desktop",
            applicationEntry("Editor", "StartupWMClass=EditorMain\n"));
  xdg.write("system/applications/gimp.desktop", applicationEntry("GIMP"));
  xdg.write("system/applications/shell.desktop", applicationEntry("Shell", "Exec=env FOO=1 sh -c true\n"));
  EXPECT_EQ(DesktopEntries::matchingWmClass("editormain")->id, "org.example.Editor");
  EXPECT_EQ(DesktopEntries::matchingWmClass("Gimp")->id, "gimp");
  EXPECT_FALSE(DesktopEntries::matchingWmClass("unknown"));
  EXPECT_FALSE(DesktopEntries::matchingWmClass(""));
  auto sh = DesktopEntries::matchingExecutable(std::filesystem::canonical("/bin/sh"));
  ASSERT_TRUE(sh);
  EXPECT_EQ(sh->id, "shell");

  // The same program named by its full path: the entry first by id runs it.
  xdg.write("system/applications/a-shell.desktop", applicationEntry("A Shell", "Exec=/bin/sh\n"));
  EXPECT_EQ(DesktopEntries::matchingExecutable(std::filesystem::canonical("/bin/sh"))->id, "a-shell");
  EXPECT_EQ(DesktopEntries::matchingExecutable("/bin/sh")->id, "a-shell") << "a link to the program is the program";
}

TEST(DesktopEntryIndex, TheEntryOfAnExecutableFollowsInstallsRemovalsAndThePath) {
  TemporaryXdgFolders xdg;
  const auto sh = std::filesystem::canonical("/bin/sh");
  EXPECT_FALSE(DesktopEntries::matchingExecutable(sh));  // asked again and again: the answer is remembered

  xdg.write("home/applications/shell.desktop", applicationEntry("Shell", "Exec=sh -c true\n"));
  ASSERT_TRUE(DesktopEntries::matchingExecutable(sh));
  EXPECT_EQ(DesktopEntries::matchingExecutable(sh)->name, "Shell");

  // A program is searched for in the PATH of the moment.
  const std::string path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
  setenv("PATH", xdg.root().c_str(), 1);
  EXPECT_FALSE(DesktopEntries::matchingExecutable(sh));
  setenv("PATH", path.c_str(), 1);
  EXPECT_TRUE(DesktopEntries::matchingExecutable(sh));

  std::filesystem::remove(xdg.root() / "home/applications/shell.desktop");
  EXPECT_FALSE(DesktopEntries::matchingExecutable(sh));
}

TEST(DesktopEntryFiles, ReadsAnApplicationAnywhereByItsInstalledIdElseItsFileName) {
  TemporaryXdgFolders xdg;
  xdg.write("system/applications/vendor/tool.desktop", applicationEntry("Tool", "NoDisplay=true\n"));
  xdg.write("elsewhere/org.example.Own.desktop", applicationEntry("Own"));
  xdg.write("elsewhere/link.desktop", "[Desktop Entry]\nType=Link\nName=Site\nURL=https://example.com\n");
  xdg.write("elsewhere/gone.desktop", "[Desktop Entry]\nHidden=true\n");
  xdg.write("elsewhere/app.txt", applicationEntry("Text"));

  auto installed = platform::readDesktopEntryFile(xdg.root() / "system/applications/vendor/tool.desktop");
  ASSERT_TRUE(installed);
  EXPECT_EQ(installed->id, "vendor-tool");
  EXPECT_TRUE(installed->noDisplay);
  auto own = platform::readDesktopEntryFile(xdg.root() / "elsewhere/org.example.Own.desktop");
  ASSERT_TRUE(own);
  EXPECT_EQ(own->id, "org.example.Own");
  EXPECT_EQ(own->name, "Own");
  EXPECT_FALSE(own->noDisplay);
  for (const char* refused : {"elsewhere/link.desktop", "elsewhere/gone.desktop", "elsewhere/app.txt",
                              "elsewhere/missing.desktop", "elsewhere"})
    EXPECT_FALSE(platform::readDesktopEntryFile(xdg.root() / refused)) << refused;
}

}  // namespace
