#include "kit/app/system_directories.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/core/error.h"
#include "private_home_test_support.h"

namespace kit {
namespace {

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

}  // namespace
}  // namespace kit
