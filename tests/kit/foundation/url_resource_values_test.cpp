#include "kit/foundation/url_resource_values.h"

#include <gtest/gtest.h>

#include "support/xdg_folders.h"

namespace {

using kit::UrlResourceKey;

platform::Url fileUrl(const std::filesystem::path& path) { return *platform::Url::fileUrl(path); }

TEST(UrlResourceValues, AnApplicationIsADesktopEntryOfAnApplicationNamedInTheUsersLanguage) {
  TemporaryXdgFolders folders;
  setenv("LANG", "de_DE.UTF-8", 1);
  const auto viewer = folders.write("anywhere/viewer.desktop",
                                    "[Desktop Entry]\nType=Application\nName=Viewer\nName[de]=Betrachter\nExec=v\n");
  const auto link = folders.write("anywhere/site.desktop", "[Desktop Entry]\nType=Link\nName=Site\nURL=https://x\n");
  const auto text = folders.write("anywhere/notes.txt", "hello");

  EXPECT_EQ(kit::resourceValue<bool>(fileUrl(viewer), UrlResourceKey::isApplication), true);
  EXPECT_EQ(kit::resourceValue<std::string>(fileUrl(viewer), UrlResourceKey::localizedName), "Betrachter");
  EXPECT_EQ(kit::resourceValue<std::string>(fileUrl(viewer), UrlResourceKey::name), "viewer.desktop");
  for (const auto& other : {link, text, folders.root()}) {
    EXPECT_EQ(kit::resourceValue<bool>(fileUrl(other), UrlResourceKey::isApplication), false) << other;
    EXPECT_EQ(kit::resourceValue<std::string>(fileUrl(other), UrlResourceKey::localizedName),
              other.filename().string());
  }
}

TEST(UrlResourceValues, FileFactsComeFromTheFileAndNothingIsReadWhereNothingIs) {
  TemporaryXdgFolders folders;
  const auto text = folders.write("notes.txt", "hello");
  EXPECT_EQ(kit::resourceValue<int64_t>(fileUrl(text), UrlResourceKey::fileSize), 5);
  EXPECT_EQ(kit::resourceValue<bool>(fileUrl(text), UrlResourceKey::isRegularFile), true);
  EXPECT_EQ(kit::resourceValue<bool>(fileUrl(text), UrlResourceKey::isDirectory), false);
  EXPECT_EQ(kit::resourceValue<bool>(fileUrl(folders.root()), UrlResourceKey::isDirectory), true);
  EXPECT_FALSE(kit::resourceValue<int64_t>(fileUrl(folders.root()), UrlResourceKey::fileSize));
  auto modified =
      kit::resourceValue<std::chrono::system_clock::time_point>(fileUrl(text), UrlResourceKey::contentModificationDate);
  ASSERT_TRUE(modified);
  EXPECT_EQ(std::chrono::floor<std::chrono::seconds>(*modified),
            std::chrono::floor<std::chrono::seconds>(
                std::chrono::file_clock::to_sys(std::filesystem::last_write_time(text))));

  // Asked as another type, for a missing file, or of a URL that is not a file: nothing.
  EXPECT_FALSE(kit::resourceValue<std::string>(fileUrl(text), UrlResourceKey::isApplication));
  EXPECT_FALSE(kit::resourceValue(fileUrl(folders.root() / "gone.desktop"), UrlResourceKey::isApplication));
  EXPECT_FALSE(kit::resourceValue(*platform::Url::parse("https://example.com/a.desktop"), UrlResourceKey::name));
}

}  // namespace
