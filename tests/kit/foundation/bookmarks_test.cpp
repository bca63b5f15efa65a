#include "kit/foundation/bookmarks.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unordered_set>
#include <vector>

#include "kit/foundation/home_directory.h"
#include "kit/foundation/json_coding.h"
#include "support/temporary_folder.h"

namespace {

namespace fs = std::filesystem;
using kit::SecurityScopedBookmarkManager;

class Bookmarks : public ::testing::Test {
 protected:
  void SetUp() override { std::ofstream(folder / "draft.txt") << "text"; }
  static platform::Url url(const fs::path& path) { return *platform::Url::fileUrl(path); }
  static int64_t errorCode(const std::function<void()>& work) {
    try {
      work();
    } catch (const kit::PlatformError& error) {
      return error.code();
    }
    return 0;
  }
  TemporaryFolder temporary;
  const fs::path& folder = temporary.path();
};

TEST_F(Bookmarks, ABookmarkFindsItsFileAfterARenameAndAMoveAndSaysItIsStale) {
  auto bookmark = SecurityScopedBookmarkManager::bookmark(url(folder / "draft.txt"));
  auto resolved = SecurityScopedBookmarkManager::resolve(bookmark);
  EXPECT_EQ(resolved.url, url(folder / "draft.txt"));
  EXPECT_FALSE(resolved.isStale);

  fs::rename(folder / "draft.txt", folder / "final.txt");
  resolved = SecurityScopedBookmarkManager::resolve(bookmark);
  EXPECT_EQ(resolved.url, url(folder / "final.txt"));
  EXPECT_TRUE(resolved.isStale);

  fs::create_directories(folder / "archive" / "2024");
  fs::rename(folder / "final.txt", folder / "archive" / "2024" / "final.txt");
  EXPECT_EQ(SecurityScopedBookmarkManager::resolve(bookmark).url, url(folder / "archive" / "2024" / "final.txt"));

  // A folder moves with what it holds.
  auto folderBookmark = SecurityScopedBookmarkManager::bookmark(url(folder / "archive"));
  fs::rename(folder / "archive", folder / "old");
  EXPECT_EQ(SecurityScopedBookmarkManager::resolve(folderBookmark).url, url(folder / "old"));
}

TEST_F(Bookmarks, AFileReplacedAtItsPathIsStaleAndAFileThatIsGoneIsAnError) {
  auto bookmark = SecurityScopedBookmarkManager::bookmark(url(folder / "draft.txt"));
  fs::remove(folder / "draft.txt");
  std::ofstream(folder / "draft.txt") << "saved anew";  // as editors save: a new file in the old one's place
  auto resolved = SecurityScopedBookmarkManager::resolve(bookmark);
  EXPECT_EQ(resolved.url, url(folder / "draft.txt"));
  EXPECT_TRUE(resolved.isStale);

  fs::remove(folder / "draft.txt");
  EXPECT_EQ(errorCode([&] { SecurityScopedBookmarkManager::resolve(bookmark); }), 4);
  EXPECT_EQ(errorCode([&] { SecurityScopedBookmarkManager::bookmark(url(folder / "draft.txt")); }), 4);
  EXPECT_EQ(errorCode([&] { SecurityScopedBookmarkManager::bookmark(*platform::Url::parse("https://example.org/")); }),
            4);
  for (std::string junk : {"", "{}", R"({"path":"relative","device":1,"inode":2})", "\xff"})
    EXPECT_EQ(errorCode([&] {
                SecurityScopedBookmarkManager::resolve(kit::SandboxURLBookmark(kit::Bytes8(junk.begin(), junk.end())));
              }),
              259)
        << junk;
}

TEST_F(Bookmarks, BookmarksCompareAndHashByTheirBytesAndCodeAsThem) {
  auto bookmark = SecurityScopedBookmarkManager::bookmark(url(folder / "draft.txt"));
  std::unordered_set<kit::SandboxURLBookmark> bookmarks{bookmark, kit::SandboxURLBookmark(bookmark.bookmarkData),
                                                        kit::SandboxURLBookmark({1, 2})};
  EXPECT_EQ(bookmarks.size(), 2u);
  EXPECT_EQ(kit::decodeJson<kit::SandboxURLBookmark>(kit::encodeJson(bookmark)), bookmark);
  // Also as the elements of a list, although a bookmark has no empty value to decode into.
  const std::vector<kit::SandboxURLBookmark> list{kit::SandboxURLBookmark({1, 2, 3})};
  EXPECT_EQ(kit::jsonText(kit::encodeJson(list)), R"(["AQID"])");
  EXPECT_EQ(kit::decodeJson<std::vector<kit::SandboxURLBookmark>>(kit::encodeJson(list)), list);
}

TEST_F(Bookmarks, TheDirectoryCheckAcceptsOnlyTheAskedDirectoryAndNamesItForTheUser) {
  SecurityScopedBookmarkManager::NSOpenSavePanelDelegateHandler asked(url(folder));
  asked.validate(url(folder));
  asked.validate(*platform::Url::parse("file://" + folder.string() + "/"));
  fs::create_directory_symlink(folder, folder / "same");
  asked.validate(url(folder / "same"));

  try {
    asked.validate(url(folder.parent_path()));
    FAIL() << "another directory was accepted";
  } catch (const kit::PlatformError& error) {
    EXPECT_EQ(error.localizedDescription(), "Incorrect directory.");
    EXPECT_EQ(error.recoverySuggestion(), "Select the directory \u201c" + folder.string() + "\u201d.");
  }

  SecurityScopedBookmarkManager::NSOpenSavePanelDelegateHandler inHome(
      url(kit::realHomeDirectory() / "Documents/Project"));
  try {
    inHome.validate(url(folder));
    FAIL() << "another directory was accepted";
  } catch (const kit::PlatformError& error) {
    EXPECT_EQ(error.recoverySuggestion(), "Select the directory \u201c~/Documents/Project\u201d.");
  }
  // The folder is named without the slash its URL may end in.
  SecurityScopedBookmarkManager::NSOpenSavePanelDelegateHandler withSlash(
      *platform::Url::parse("file://" + kit::realHomeDirectory().string() + "/Docs/"));
  try {
    withSlash.validate(url(folder));
    FAIL() << "another directory was accepted";
  } catch (const kit::PlatformError& error) {
    EXPECT_EQ(error.recoverySuggestion(), "Select the directory \u201c~/Docs\u201d.");
  }
}

TEST(RealHomeDirectory, IsTheUserDatabasesHomeWhateverHomeSays) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process, where the home is not yet worked out
  EXPECT_EXIT(
      {
        setenv("HOME", "/nonexistent/sandbox/home", 1);
        const passwd* user = getpwuid(getuid());
        std::exit(user && kit::realHomeDirectory() == user->pw_dir ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}

}  // namespace
