// The clean-up of old mail attachments at start-up, in a private cache home laid out as a careless or hostile
// environment might lay it out.
#include "kit/app/attachments_folder.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <chrono>

#include "kit/foundation/log.h"
#include "private_home_test_support.h"

namespace kit {
namespace {

using namespace std::chrono_literals;

// Sets when the entry last changed, without following a link.
void age(const fs::path& path, std::chrono::hours hours) {
  const auto seconds =
      std::chrono::duration_cast<std::chrono::seconds>((std::chrono::system_clock::now() - hours).time_since_epoch())
          .count();
  const timespec times[2] = {{seconds, 0}, {seconds, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

bool present(const fs::path& path) { return fs::exists(fs::symlink_status(path)); }

class OldAttachments : public PrivateHome {
 protected:
  fs::path cacheFolder() const { return home / "cache/com.kestrova.Quillet"; }
  fs::path attachments() const { return cacheFolder() / "attachments"; }
  // A folder of the user's with files and folders a week old, one of them named like a message folder of ours.
  std::vector<fs::path> usersFolder(const fs::path& folder) {
    const std::vector<fs::path> entries{folder / "thesis.odt", folder / "photos/2019/a.jpg",
                                        folder / "com.kestrova.Quillet-AbC123/debug-info.txt", folder / ".hidden",
                                        folder / "notes/today.txt"};
    for (const auto& entry : entries) write(entry, "the user's");
    for (const auto& entry : fs::directory_iterator(folder)) age(entry.path(), 24h * 7);
    return entries;
  }
  size_t remaining(const std::vector<fs::path>& entries) {
    return static_cast<size_t>(std::count_if(entries.begin(), entries.end(), present));
  }
  static size_t leftAloneLines() {
    const auto entries = debugLogStore().entries();
    return static_cast<size_t>(std::count_if(entries.begin(), entries.end(), [](const std::string& entry) {
      return entry.find("left alone") != std::string::npos;
    }));
  }
};

TEST_F(OldAttachments, NothingIsRemovedThroughALinkOrFromAFolderThatIsNotTheProgramsOwn) {
  // The attachments folder a link to a folder of the user's.
  const auto mine = usersFolder(home / "mine");
  fs::create_directories(cacheFolder());
  fs::create_directory_symlink(home / "mine", attachments());
  removalOfOldAttachments()();
  EXPECT_EQ(remaining(mine), mine.size());
  EXPECT_TRUE(fs::is_symlink(attachments()));
  EXPECT_FALSE(openAttachmentsDirectory(true)) << "nor is a message's file written there";

  // The program's cache folder a link to a shared one, whose attachments folder is not the program's.
  fs::remove(attachments());
  fs::remove(cacheFolder());
  const auto shared = usersFolder(home / "shared/attachments");
  fs::create_directory_symlink(home / "shared", cacheFolder());
  removalOfOldAttachments()();
  EXPECT_EQ(remaining(shared), shared.size());

  // A file in the folder's place.
  fs::remove(cacheFolder());
  write(attachments(), "a file");
  removalOfOldAttachments()();
  EXPECT_EQ(contentOf(attachments()), "a file");
  EXPECT_EQ(leftAloneLines(), 4u) << "each said once";

  // The folder swapped for a link to the user's between the start and the removal in the background.
  fs::remove(attachments());
  const fs::path ours = attachments() / "com.kestrova.Quillet-aB3dE9";
  write(ours / "debug-info.txt", "old");
  age(ours, 25h);
  const auto removal = removalOfOldAttachments();
  fs::rename(attachments(), cacheFolder() / "moved");
  fs::create_directory_symlink(home / "mine", attachments());
  removal();
  EXPECT_EQ(remaining(mine), mine.size());
  EXPECT_FALSE(present(cacheFolder() / "moved/com.kestrova.Quillet-aB3dE9")) << "the folder it opened, wherever it is";
}

TEST_F(OldAttachments, OnlyTheProgramsOwnMessageFoldersGoAndNoLinkInsideThemIsFollowed) {
  const fs::path old = attachments() / "com.kestrova.Quillet-aB3dE9";
  write(old / "debug-info.txt", "old");
  // What the user keeps elsewhere, reached through links in the attachments folder and in a message folder.
  const auto elsewhere = usersFolder(home / "elsewhere");
  write(home / "precious.txt", "the user's");
  fs::create_symlink(home / "precious.txt", old / "precious.txt");
  fs::create_directory_symlink(home / "elsewhere", old / "elsewhere");
  fs::create_directory_symlink(home / "elsewhere", attachments() / "com.kestrova.Quillet-Link01");
  // Entries that do not look like the program's.
  const std::vector<fs::path> foreign{attachments() / "photos/a.jpg",
                                      attachments() / "notes.txt",
                                      attachments() / "com.kestrova.Quillet-File01",
                                      attachments() / "com.kestrova.Quillet-toolong1/x",
                                      attachments() / "com.kestrova.Quillet/x",
                                      attachments() / "other-aB3dE9/x"};
  for (const auto& entry : foreign) write(entry, "not ours");
  for (const auto& entry : fs::directory_iterator(attachments())) age(entry.path(), 25h);

  removalOfOldAttachments()();
  EXPECT_FALSE(present(old));
  EXPECT_EQ(contentOf(home / "precious.txt"), "the user's");
  EXPECT_EQ(remaining(elsewhere), elsewhere.size());
  EXPECT_EQ(remaining(foreign), foreign.size());
}

}  // namespace
}  // namespace kit
