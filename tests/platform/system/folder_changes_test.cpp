#include "platform/system/folder_changes.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <functional>

#include "support/temporary_folder.h"

namespace {

using platform::FolderChanges;
namespace fs = std::filesystem;

class FolderChangesTest : public testing::TestWithParam<FolderChanges::Notification> {
 protected:
  // Whether a fresh watch of `folder` sees what `change` does (having seen nothing before it).
  bool seen(const fs::path& folder, const std::function<void()>& change) {
    std::error_code ec;
    // A time long past, so that a change within the file system's clock tick still moves it.
    fs::last_write_time(folder, fs::file_time_type::clock::now() - std::chrono::hours(1), ec);
    FolderChanges changes(GetParam());
    changes.watch(folder);
    EXPECT_FALSE(changes.changed());
    change();
    bool changed = changes.changed();
    EXPECT_EQ(changes.changed(), changed);  // asked again, the answer holds
    return changed;
  }
  fs::path write(const fs::path& relative, const std::string& text) {
    fs::create_directories((folder_.path() / relative).parent_path());
    std::ofstream(folder_.path() / relative) << text;
    return folder_.path() / relative;
  }

  TemporaryFolder folder_;
};

TEST_P(FolderChangesTest, SeesFilesComeAndGoAndFoldersAppearAndGo) {
  const fs::path apps = folder_.path() / "apps";
  fs::create_directories(apps);
  EXPECT_TRUE(seen(apps, [&] { write("apps/a.desktop", "a"); }));
  EXPECT_TRUE(seen(apps, [&] { fs::rename(apps / "a.desktop", apps / "b.desktop"); }));
  EXPECT_TRUE(seen(apps, [&] { fs::remove(apps / "b.desktop"); }));
  EXPECT_TRUE(seen(apps, [&] { fs::create_directory(apps / "vendor"); }));
  EXPECT_TRUE(seen(folder_.path() / "data/home/apps", [&] { write("data/home/apps/c.desktop", "c"); }));
  EXPECT_TRUE(seen(apps, [&] { fs::remove_all(apps); }));
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutNotification, FolderChangesTest,
                         testing::Values(FolderChanges::Notification::inotify,
                                         FolderChanges::Notification::modificationTimesOnly),
                         [](const auto& info) {
                           return info.param == FolderChanges::Notification::inotify ? "Inotify"
                                                                                     : "ModificationTimesOnly";
                         });

class NotifiedFolderChangesTest : public FolderChangesTest {};

TEST_P(NotifiedFolderChangesTest, SeesWritesInPlaceAndOnlyTheWayDownToAFolderStillMissing) {
  const fs::path file = write("apps/a.desktop", "a");
  EXPECT_TRUE(seen(file.parent_path(), [&] { std::ofstream(file) << "rewritten"; }));
  EXPECT_TRUE(seen(file.parent_path(), [&] { ::chmod(file.c_str(), 0600); }));

  // Each step down to a missing folder counts, as it is the next step's watch; nothing else beside it does.
  const fs::path missing = folder_.path() / "home/share/applications";
  EXPECT_FALSE(seen(missing, [&] {
    write("recently-used.xbel", "<xbel/>");
    fs::rename(folder_.path() / "recently-used.xbel", folder_.path() / "homes");
    write("apps/b.desktop", "b");
  }));
  EXPECT_TRUE(seen(missing, [&] { fs::rename(folder_.path() / "apps", folder_.path() / "home"); }));
  EXPECT_FALSE(seen(missing, [&] { write("home/sharing", "no"); }));
  EXPECT_TRUE(seen(missing, [&] { fs::create_directory(folder_.path() / "home/share"); }));
}

INSTANTIATE_TEST_SUITE_P(Only, NotifiedFolderChangesTest, testing::Values(FolderChanges::Notification::inotify));

}  // namespace
