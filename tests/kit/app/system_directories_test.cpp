#include "kit/app/system_directories.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <tuple>
#include <utility>

#include "kit/foundation/report_error.h"
#include "platform/core/error.h"
#include "platform/core/user_account.h"
#include "private_home_test_support.h"
#include "support/reported_errors.h"

namespace kit {
namespace {

// Makes a folder immutable or not again: nothing in it can be renamed, not even by root. False where the file system
// cannot.
bool setImmutable(const fs::path& folder, bool immutable) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  int flags = 0;
  bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  flags = immutable ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
  done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  ::close(fd);
  return done;
}

TEST_F(PrivateHome, FoldersFollowTheXdgVariablesAndTheTrashKeepsWhatIsMovedThere) {
  EXPECT_EQ(systemDirectory(SystemDirectory::caches), home / "cache");
  setenv("XDG_CACHE_HOME", "relative/cache", 1);  // ignored, as the XDG rules say
  EXPECT_EQ(systemDirectory(SystemDirectory::caches), home / ".cache");

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

  // A link is moved itself, also one that names nothing; a second one of the same name is kept beside it.
  for (int link = 0; link < 2; ++link) {
    fs::create_symlink(home / "gone", home / "link");
    trashItem(home / "link");
  }
  EXPECT_FALSE(fs::is_symlink(home / "link"));
  EXPECT_EQ(fs::read_symlink(home / "data/Trash/files/link.2"), home / "gone");
  EXPECT_NE(contentOf(home / "data/Trash/info/link.2.trashinfo").find("\nPath=" + (home / "link").string() + "\n"),
            std::string::npos);
  if (const auto elsewhere = folderOnAnotherFileSystem()) {  // also one naming a file on another file system
    const TemporaryDirectory removed(*elsewhere);
    write(*elsewhere / "kept", "x");
    fs::create_symlink(*elsewhere / "kept", home / "far");
    trashItem(home / "far");
    EXPECT_TRUE(fs::is_symlink(home / "data/Trash/files/far"));
    EXPECT_TRUE(fs::exists(*elsewhere / "kept"));
  }

  // No trash can be made: an error, and the item stays where it was, never moved into the current folder.
  fs::remove_all(home / "data/Trash");
  write(home / "data/Trash", "a file");
  const fs::path started = fs::current_path();
  fs::current_path(home);
  EXPECT_THROW(trashItem(home / "c"), platform::PlatformError);
  fs::current_path(started);
  EXPECT_EQ(contentOf(home / "c"), "3");
  EXPECT_FALSE(fs::exists(home / "files"));
}

TEST_F(PrivateHome, TheUsersOwnFoldersAreTheOnesUserDirsNamesElseTheUsualOnesBelowTheHome) {
  const char* savedConfig = std::getenv("XDG_CONFIG_HOME");
  setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
  write(home / "config/user-dirs.dirs",
        "XDG_MUSIC_DIR=\"$HOME/Tunes\"\nXDG_DOWNLOAD_DIR=\"" + (home / "Incoming").string() + "\"\n");
  fs::create_directories(home / "Shared/Tunes");
  fs::create_directory_symlink(home / "Shared/Tunes", home / "Tunes");
  EXPECT_EQ(systemDirectory(SystemDirectory::home), home);
  EXPECT_EQ(systemDirectory(SystemDirectory::music), home / "Shared/Tunes") << "links resolved";
  EXPECT_EQ(systemDirectory(SystemDirectory::downloads), home / "Incoming");
  EXPECT_EQ(systemDirectory(SystemDirectory::desktop), home / "Desktop");
  EXPECT_EQ(systemDirectory(SystemDirectory::documents), home / "Documents");
  EXPECT_EQ(systemDirectory(SystemDirectory::pictures), home / "Pictures");
  EXPECT_EQ(systemDirectory(SystemDirectory::videos), home / "Videos");
  EXPECT_FALSE(fs::exists(home / "Videos")) << "looked up, not made";
  savedConfig ? setenv("XDG_CONFIG_HOME", savedConfig, 1) : unsetenv("XDG_CONFIG_HOME");
}

TEST_F(PrivateHome, WithoutHomeSetTheUsersOwnFoldersLieBelowTheAccountsHome) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const auto account = platform::accountHomeDirectory();
  if (!account) GTEST_SKIP() << "the user has no account";
  write(home / "config/user-dirs.dirs", "XDG_MUSIC_DIR=\"$HOME/Tunes\"\n");
  EXPECT_EXIT(
      {
        unsetenv("HOME");
        setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
        const fs::path accountHome(*account);
        const bool belowTheAccount = systemDirectory(SystemDirectory::home) == accountHome &&
                                     systemDirectory(SystemDirectory::documents) == accountHome / "Documents" &&
                                     systemDirectory(SystemDirectory::music) == accountHome / "Tunes";
        fs::remove_all(home);  // this process's own, made by its SetUp
        std::exit(belowTheAccount ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}

TEST_F(PrivateHome, WithoutAHomeTheFailureIsReportedAndTheTemporaryFolderStandsInWithItsLinksResolved) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can take on a user that has no account";
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  fs::create_directories(home / "tmp-target");
  fs::create_directory_symlink(home / "tmp-target", home / "tmp");
  EXPECT_EXIT(
      {
        // A real user id that the user database does not know; the effective one stays root's, for the files.
        uid_t stranger = 40000;
        while (::getpwuid(stranger)) ++stranger;
        if (::setresuid(stranger, -1, -1) != 0) std::exit(2);
        unsetenv("HOME");
        unsetenv("XDG_CACHE_HOME");
        setenv("TMPDIR", (home / "tmp").c_str(), 1);
        ZvApp::setErrorReportFilter([](const platform::Error& reported) {
          std::cerr << "[" << reported.domain() << "] " << reported.localizedDescription() << std::endl;
          return false;
        });
        bool fellBack = systemDirectory(SystemDirectory::caches) == home / "tmp-target" &&
                        systemDirectory(SystemDirectory::home) == home / "tmp-target" &&
                        systemDirectory(SystemDirectory::documents) == home / "tmp-target" &&
                        systemDirectory(SystemDirectory::applicationSupport) == home / "data";
        setenv("TMPDIR", (home / "missing").c_str(), 1);
        fellBack = fellBack && systemDirectory(SystemDirectory::caches) == home / "missing";
        fs::remove_all(home);
        std::exit(fellBack ? 0 : 1);
      },
      testing::ExitedWithCode(0),
      "\\[com\\.kestrova\\.Quillet\\] Could not get system directory: caches\n"
      "\\[com\\.kestrova\\.Quillet\\] Could not get system directory: home\n"
      "\\[com\\.kestrova\\.Quillet\\] Could not get system directory: documents\n"
      "\\[com\\.kestrova\\.Quillet\\] Could not get system directory: caches\n$");
}

// Qt makes a trash at the top of the item's file system, or the home's, before it finds that the item cannot go there.
TEST_F(PrivateHome, AFailedMoveToTheTrashThrowsTheSystemsReasonAndLeavesNoTrashFolderBehind) {
  const std::string ownTrash = ".Trash-" + std::to_string(::getuid());
  auto failureOf = [](const fs::path& item) -> std::pair<int64_t, std::string> {
    try {
      trashItem(item);
    } catch (const platform::PlatformError& error) {
      return {error.code(), error.localizedDescription()};
    }
    return {0, "moved"};
  };

  // A mount point: its file system's top is the item itself.
  const fs::path mounted = home / "data/com.kestrova.Quillet";
  const MountedMemoryFileSystem mount(mounted);
  if (!mount.mounted()) GTEST_SKIP() << "only root can mount the file systems this needs";
  write(mounted / "state", "ours");
  EXPECT_EQ(failureOf(mounted), std::make_pair(int64_t{EXDEV}, "Could not move " + mounted.string() +
                                                                   " to the trash: Invalid cross-device link"));
  EXPECT_EQ(contentOf(mounted / "state"), "ours");
  EXPECT_FALSE(fs::exists(mounted / ownTrash)) << "no trash inside the folder that stayed";
  EXPECT_FALSE(fs::exists(home / "data/Trash")) << "nor the home's, made for the move";

  // A file on another file system that can have no trash of its own: the home's lies on another one.
  const fs::path elsewhere = home / "elsewhere";
  const MountedMemoryFileSystem other(elsewhere);
  write(elsewhere / "notes.txt", "kept");
  ASSERT_TRUE(other.makeReadOnly());
  EXPECT_EQ(failureOf(elsewhere / "notes.txt").first, EXDEV);
  EXPECT_EQ(contentOf(elsewhere / "notes.txt"), "kept");
  EXPECT_FALSE(fs::exists(home / "data/Trash"));

  // What was there before stays, empty or not.
  fs::create_directories(home / "data/Trash/files");
  EXPECT_EQ(failureOf(elsewhere / "notes.txt").first, EXDEV);
  EXPECT_TRUE(fs::is_directory(home / "data/Trash/files"));

  // A file on another file system that can have a trash of its own, but that cannot leave its folder: the trash made
  // at the top of that file system goes again.
  const fs::path writable = home / "writable";
  const MountedMemoryFileSystem third(writable);
  write(writable / "locked/notes.txt", "kept");
  if (!setImmutable(writable / "locked", true)) GTEST_SKIP() << "this file system has no immutable folders";
  EXPECT_EQ(failureOf(writable / "locked/notes.txt"),
            std::make_pair(int64_t{EPERM}, "Could not move " + (writable / "locked/notes.txt").string() +
                                               " to the trash: Operation not permitted"));
  setImmutable(writable / "locked", false);
  EXPECT_EQ(contentOf(writable / "locked/notes.txt"), "kept");
  EXPECT_FALSE(fs::exists(writable / ownTrash)) << "no trash left at the top of the other file system";
}

TEST_F(PrivateHome, TemporaryFilesAreMadePrivateAndAnewAndGoWithTheirFolder) {
  const fs::path file = createTemporaryFile(std::nullopt, "text/plain", "héllo");
  std::optional<TemporaryDirectory> folder(file.parent_path());
  EXPECT_EQ(file.filename(), "file.txt");
  EXPECT_EQ(contentOf(file), "héllo");
  struct stat info {};
  ASSERT_EQ(stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  ASSERT_EQ(stat(file.parent_path().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  for (const auto& [name, type, named] : {std::tuple("debug-info.txt", "text/plain", "debug-info.txt"),
                                          {"notes.asc", "text/plain", "notes.asc"},  // also one of the type's
                                          {"report", "application/json", "report.json"},
                                          {"data", "application/x-unknown", "data"}}) {
    const fs::path made = createTemporaryFile(name, type, "");
    const TemporaryDirectory madeFolder(made.parent_path());
    EXPECT_EQ(made.filename(), named);
  }
  EXPECT_THROW(createTemporaryFile("../escape", "text/plain", "x"), platform::PlatformError);
  folder.reset();
  EXPECT_FALSE(fs::exists(file.parent_path()));
  TemporaryDirectory gone(file.parent_path());  // already gone: nothing happens

  // A temporary folder that is missing is the system's error, not the standard library's.
  const std::string temporary = fs::temp_directory_path();
  setenv("TMPDIR", (home / "missing").c_str(), 1);
  try {
    createTemporaryDirectory();
    ADD_FAILURE() << "made in a missing folder";
  } catch (const platform::PlatformError& error) {
    EXPECT_EQ(error.code(), ENOENT);
  }
  setenv("TMPDIR", temporary.c_str(), 1);

  // Without a folder it goes where the program's own file system has room for it, as an item replacement does: in
  // the cache folder when the temporary folder lies on another file system.
  const auto elsewhere = folderOnAnotherFileSystem();
  if (!elsewhere) GTEST_SKIP() << "no second file system";
  const TemporaryDirectory removed(*elsewhere);
  setenv("TMPDIR", elsewhere->c_str(), 1);
  const fs::path inCache = createTemporaryFile(std::nullopt, "text/plain", "x");
  EXPECT_EQ(inCache.parent_path().parent_path(), home / "cache/com.kestrova.Quillet");
  EXPECT_EQ(createTemporaryFile(std::nullopt, "text/plain", "x", *elsewhere).parent_path().parent_path(), *elsewhere)
      << "a folder given is used";
}

// The file system a path lies on.
dev_t deviceOf(const fs::path& path) {
  struct stat info {};
  EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
  return info.st_dev;
}

bool isPrivateEmptyFolder(const fs::path& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && (info.st_mode & 0777) == 0700 && fs::is_empty(path);
}

TEST_F(PrivateHome, ItemReplacementFoldersArePrivateAndLieOnTheFileSystemOfTheirFile) {
  write(home / "doc.txt", "draft");
  const TemporaryDirectory inTemporary(itemReplacementDirectory(home / "doc.txt"));
  EXPECT_TRUE(isPrivateEmptyFolder(inTemporary.path()));
  EXPECT_EQ(inTemporary.path().parent_path(), fs::temp_directory_path());
  const TemporaryDirectory again(itemReplacementDirectory(home / "doc.txt"));
  EXPECT_NE(again.path(), inTemporary.path()) << "a new one each time";
  const TemporaryDirectory forProgram(itemReplacementDirectory());
  EXPECT_EQ(deviceOf(forProgram.path()), deviceOf(fs::read_symlink("/proc/self/exe").parent_path()))
      << "without a file: the program's own";

  // Another file system.
  const auto elsewhere = folderOnAnotherFileSystem();
  if (!elsewhere) GTEST_SKIP() << "no second one";
  const TemporaryDirectory removed(*elsewhere);
  const fs::path& other = *elsewhere;
  setenv("TMPDIR", other.c_str(), 1);
  const fs::path inCache = itemReplacementDirectory(home / "doc.txt");
  EXPECT_EQ(inCache.parent_path(), home / "cache" / "com.kestrova.Quillet") << "the temporary folder lies elsewhere";

  fs::create_directories(home / "tmp");
  setenv("TMPDIR", (home / "tmp").c_str(), 1);
  const fs::path beside = itemReplacementDirectory(other / "notes" / "new.txt");  // not there yet
  EXPECT_TRUE(isPrivateEmptyFolder(beside));
  EXPECT_EQ(beside.parent_path(), other);
  EXPECT_EQ(beside.filename().string().rfind(".com.kestrova.Quillet-", 0), 0u) << beside;

  // Nothing can be made on /proc: the failure is reported and the temporary folder stands in.
  const ReportedErrors reported;
  const fs::path fallback = itemReplacementDirectory("/proc/self/status");
  EXPECT_TRUE(isPrivateEmptyFolder(fallback));
  EXPECT_EQ(fallback.parent_path(), home / "tmp");
  const auto& reports = reported.descriptions();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find("/proc/self/status"), std::string::npos) << reports[0];
}

}  // namespace
}  // namespace kit
