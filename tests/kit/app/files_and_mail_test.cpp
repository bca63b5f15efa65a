// The program's own folders and files on a real file system, starting over, and e-mail handed to the desktop.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "kit/app/data_reset.h"
#include "kit/app/email.h"
#include "kit/app/relaunch.h"
#include "kit/app/system_directories.h"
#include "kit/foundation/url_query.h"
#include "kit/preferences/key.h"
#include "kit/ui/url_opening.h"
#include "support/offscreen_application.h"
#include "support/recording_alert_presenter.h"

namespace kit {
namespace {

namespace fs = std::filesystem;

std::string contentOf(const fs::path& path) {
  std::ifstream file(path);
  std::stringstream content;
  content << file.rdbuf();
  return content.str();
}

void write(const fs::path& path, const std::string& content) {
  fs::create_directories(path.parent_path());
  std::ofstream(path) << content;
}

// A home of its own with the XDG folders inside it; the preferences stay where the test program keeps them.
class PrivateHome : public ::testing::Test {
 protected:
  void SetUp() override {
    ensureOffscreenApplication();
    home = createTemporaryDirectory();
    saved = {std::getenv("HOME"), std::getenv("XDG_DATA_HOME"), std::getenv("XDG_CACHE_HOME")};
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    setenv("XDG_CACHE_HOME", (home / "cache").c_str(), 1);
  }
  void TearDown() override {
    const char* names[] = {"HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"};
    for (size_t i = 0; i < 3; ++i) saved[i] ? setenv(names[i], saved[i], 1) : unsetenv(names[i]);
    fs::remove_all(home);
  }
  fs::path home;
  std::vector<const char*> saved;
};

TEST_F(PrivateHome, FoldersFollowTheXdgVariablesAndTheTrashKeepsWhatIsMovedThere) {
  EXPECT_EQ(systemDirectory(SystemDirectory::caches), home / "cache");
  setenv("XDG_CACHE_HOME", "relative/cache", 1);  // ignored, as the XDG rules say
  EXPECT_EQ(systemDirectory(SystemDirectory::caches), home / ".cache");
  EXPECT_EQ(autostartEntryPath().filename(), "com.kestrova.Quillet.desktop");

  const fs::path folder = appDirectory(SystemDirectory::applicationSupport);
  EXPECT_EQ(folder, home / "data" / "com.kestrova.Quillet");
  EXPECT_TRUE(fs::is_directory(folder));

  write(home / "a", "1");
  write(home / "c", "3");
  try {
    trashItems({home / "a", home / "missing", home / "c"});
    ADD_FAILURE() << "a missing item is an error";
  } catch (const platform::PlatformError& error) {
    EXPECT_EQ(error.code(), ENOENT);
  }
  EXPECT_FALSE(fs::exists(home / "a"));
  EXPECT_TRUE(fs::exists(home / "data/Trash/files/a"));
  EXPECT_TRUE(fs::exists(home / "c")) << "items after a failure stay";
}

TEST(TemporaryFiles, AreMadePrivateAndAnewAndGoWithTheirFolder) {
  const fs::path file = createTemporaryFile(std::nullopt, "txt", "héllo");
  EXPECT_EQ(file.filename(), "file.txt");
  EXPECT_EQ(contentOf(file), "héllo");
  struct stat info {};
  ASSERT_EQ(stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  ASSERT_EQ(stat(file.parent_path().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  EXPECT_EQ(createTemporaryFile("debug-info.txt", "txt", "").filename(), "debug-info.txt");
  EXPECT_THROW(createTemporaryFile("../escape", "txt", "x"), platform::PlatformError);
  { TemporaryDirectory folder(file.parent_path()); }
  EXPECT_FALSE(fs::exists(file.parent_path()));
  TemporaryDirectory gone(file.parent_path());  // already gone: nothing happens
}

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
  RecordingAlertPresenter presenter;
  int relaunches = 0;
};

TEST_F(StartingOver, RemovesExactlyTheProgramsOwnFilesAfterTheUserConfirms) {
  const fs::path config = platform::UserDefaults::standard().filePath().parent_path();
  const std::vector<fs::path> ours{home / "data/com.kestrova.Quillet/state", home / "cache/com.kestrova.Quillet/x",
                                   autostartEntryPath()};
  const std::vector<fs::path> others{home / "data/com.kestrova.Quillet.old/keep", home / "data/other/keep",
                                     home / "cache/keep", config / "autostart/other.desktop",
                                     config / "com.kestrova.QuilletHelper.plist"};
  for (const auto& path : ours) write(path, "ours");
  for (const auto& path : others) write(path, "theirs");
  platform::UserDefaults::standard().set("someSetting", true);
  platform::UserDefaults::standard().flush();

  presenter.answer = alertFirstButtonReturn + 1;  // "Cancel"
  confirmDeleteSettingsAndDataAtLaunch(0x1e0000 | 0x10000);
  ASSERT_EQ(presenter.messages(),
            std::vector<std::string>{"Are you sure you want to delete the settings and data for Quillet?"});
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
  EXPECT_TRUE(QTest::qWaitFor([&] { return relaunches == 1; }));
}

TEST(Mailto, ListsEachRecipientOnceAndKeepsTheQueryIntact) {
  const auto a = *EmailAddress::fromString("a@example.com");
  const auto b = *EmailAddress::fromString(" b@example.org\n");
  const auto url = mailtoUrl({a, b, a}, "Q&A = #1 + ?", "line\nnext", {a, b}, {});
  EXPECT_EQ(url.absoluteString().rfind("mailto:a@example.com,b@example.org?", 0), 0u) << url.absoluteString();
  EXPECT_EQ(queryItemValue(url, "subject"), "Q&A = #1 + ?");
  EXPECT_EQ(queryItemValue(url, "body"), "line\nnext");
  EXPECT_EQ(queryItemValue(url, "cc"), "a@example.com,b@example.org");
  EXPECT_NE(url.absoluteString().find("cc=a%40example.com%2Cb%40example.org"), std::string::npos);
  EXPECT_EQ(queryItemValue(url, "bcc"), std::nullopt);
  EXPECT_EQ(queryItems(mailtoUrl({a}, "", "")).size(), 2u) << "empty subject and body are still given";
}

TEST(Mailto, AnInlineAttachmentIsCappedAtALineEnd) {
  EXPECT_EQ(inlineAttachmentBody("Hi", "debug-info.txt", "abc"),
            "Hi\n\n\n\ndebug-info.txt\n" + std::string(30, '-') + "\n\nabc");
  EXPECT_EQ(inlineAttachmentBody(std::nullopt, "f", "x").substr(0, 5), "\n\n\n\nf");
  const std::string body = inlineAttachmentBody(std::nullopt, "f", "first line\nsecond line\nthird", 16);
  EXPECT_EQ(body.substr(body.size() - 24), "\n\nfirst line\n[truncated]");
}

class Mail : public ::testing::Test {
 protected:
  void SetUp() override {
    ensureOffscreenApplication();
    bin = createTemporaryDirectory();
    savedPath = std::getenv("PATH");
    setUrlOpenerForTesting([this](const platform::Url& url) {
      opened.push_back(url);
      return true;
    });
    setAttachmentRetentionForTesting(std::chrono::milliseconds(100));
  }
  void TearDown() override {
    setenv("PATH", savedPath.c_str(), 1);
    setUrlOpenerForTesting({});
    setAttachmentRetentionForTesting(std::nullopt);
    fs::remove_all(bin);
  }
  // A stand-in for the desktop's xdg-email that records its arguments and the attached file's text.
  void installXdgEmail(int exitStatus) {
    write(bin / "xdg-email", "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> \"" + (bin / "args").string() +
                                 "\"; done\nwhile [ $# -gt 0 ]; do [ \"$1\" = --attach ] && cp \"$2\" \"" +
                                 (bin / "copy").string() + "\" && mv \"" + (bin / "copy").string() + "\" \"" +
                                 (bin / "attached").string() + "\"; shift; done\nexit " + std::to_string(exitStatus) +
                                 "\n");
    fs::permissions(bin / "xdg-email", fs::perms::owner_all);
    setenv("PATH", (bin.string() + ":/usr/bin:/bin").c_str(), 1);
  }
  std::vector<std::string> recordedArguments() {
    std::vector<std::string> lines;
    std::istringstream in(contentOf(bin / "args"));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  fs::path bin;
  std::string savedPath;
  std::vector<platform::Url> opened;
  const EmailAddress to = EmailAddress::developerFeedback();
};

TEST_F(Mail, GoesToXdgEmailWithTheTextAttachedAndTheFileGoesAfterwards) {
  installXdgEmail(0);
  sendEmail({to}, "Quillet — Debug info", std::nullopt, "debug-info.txt", "the debug text");
  ASSERT_TRUE(QTest::qWaitFor([&] { return fs::exists(bin / "attached"); }));
  const auto arguments = recordedArguments();
  ASSERT_EQ(arguments.size(), 6u);
  EXPECT_EQ(std::vector<std::string>(arguments.begin(), arguments.begin() + 4),
            (std::vector<std::string>{"--utf8", "--subject", "Quillet — Debug info", "--attach"}));
  EXPECT_EQ(fs::path(arguments[4]).filename(), "debug-info.txt");
  EXPECT_EQ(arguments[5], to.rawValue());
  EXPECT_EQ(contentOf(bin / "attached"), "the debug text");
  EXPECT_TRUE(QTest::qWaitFor([&] { return !fs::exists(fs::path(arguments[4]).parent_path()); }));
  EXPECT_TRUE(opened.empty());
}

TEST_F(Mail, FallsBackToALinkWithTheTextInlineWhenXdgEmailFailsOrIsMissing) {
  installXdgEmail(3);
  sendEmail({to}, "S", "Hi", "debug-info.txt", "abc");
  ASSERT_TRUE(QTest::qWaitFor([&] { return opened.size() == 1; }));
  EXPECT_EQ(queryItemValue(opened[0], "body"), inlineAttachmentBody("Hi", "debug-info.txt", "abc"));
  const fs::path attached = recordedArguments().at(6);
  EXPECT_FALSE(fs::exists(attached.parent_path())) << "the file of a failed hand-over goes at once";

  setenv("PATH", bin.c_str(), 1);
  fs::remove(bin / "xdg-email");
  sendEmail({to}, "S", std::nullopt, "debug-info.txt", std::string(100000, 'x'));
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_LT(opened[1].absoluteString().size(), 128u * 1024) << "short enough for the desktop's tools";
}

}  // namespace
}  // namespace kit
