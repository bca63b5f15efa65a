#include "kit/foundation/file_metadata.h"

#include <gtest/gtest.h>
#include <sys/xattr.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <thread>

#include "support/temporary_folder.h"

namespace {

class FileMetadata : public ::testing::Test {
 protected:
  void SetUp() override { std::ofstream(file) << "image"; }
  void setAttribute(const std::string& name, const std::string& value) {
    ASSERT_EQ(setxattr(file.c_str(), name.c_str(), value.data(), value.size(), 0), 0) << name;
  }
  platform::Url url() const { return *platform::Url::fileUrl(file); }

  TemporaryFolder temporary;
  const std::filesystem::path& folder = temporary.path();
  const std::filesystem::path file = folder / "shot.png";
};

TEST_F(FileMetadata, AttributesAreReadFromTheUserNamespaceAndAMissingOneIsNoValue) {
  setAttribute("user.empty", "");
  setAttribute("user.com.example.note", "hello");
  kit::ExtendedAttributes attributes(url());
  EXPECT_TRUE(attributes.get("empty").empty());
  EXPECT_EQ(attributes.get("com.example.note"), (kit::Bytes8{'h', 'e', 'l', 'l', 'o'}));
  EXPECT_EQ(attributes.get("user.com.example.note").size(), 5u);
  try {
    attributes.get("missing");
    FAIL() << "no error";
  } catch (const kit::PlatformError& error) {
    EXPECT_EQ(error.domain(), "NSPOSIXErrorDomain");
    EXPECT_EQ(error.code(), ENODATA);
  }
  EXPECT_EQ(attributes.decodedBool("missing"), std::nullopt);
  EXPECT_EQ(kit::extendedAttributeMetadataValue(url(), "kMDItemIsScreenCapture"), std::nullopt);

  try {
    kit::ExtendedAttributes(*platform::Url::parse("https://example.org/shot.png")).get("anything");
    FAIL() << "no error";
  } catch (const kit::PlatformError& error) {
    EXPECT_EQ(error.code(), 4);
    EXPECT_EQ(error.domain(), "NSCocoaErrorDomain");
  }
}

TEST_F(FileMetadata, AnAttributeThatChangesWhileItIsReadIsReadWhole) {
  setAttribute("user.note", "");
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    for (int i = 0; !stop; ++i) setxattr(file.c_str(), "user.note", "note", i % 2 == 0 ? 4 : 0, 0);
  });
  int torn = 0;
  for (int i = 0; i < 20000; ++i) {
    try {
      const kit::Bytes8 value = kit::ExtendedAttributes(url()).get("note");
      if (!value.empty() && value != kit::Bytes8{'n', 'o', 't', 'e'}) ++torn;
    } catch (const kit::PlatformError& error) {
      EXPECT_EQ(error.code(), ERANGE) << "changing again while measured once more";
    }
  }
  stop = true;
  writer.join();
  EXPECT_EQ(torn, 0) << "an empty attribute that grew was read as zeros";
}

TEST_F(FileMetadata, FlagsAreBooleanPropertyListsAndOtherContentIsCorrupt) {
  setAttribute("user.com.apple.metadata:kMDItemIsScreenCapture",
               "<?xml version=\"1.0\"?><plist version=\"1.0\"><true/></plist>");
  setAttribute("user.com.apple.metadata:kMDItemComment", "<plist version=\"1.0\"><string>yes</string></plist>");
  EXPECT_EQ(kit::extendedAttributeMetadataValue(url(), "kMDItemIsScreenCapture"), true);
  EXPECT_EQ(kit::fileFlag(url(), "kMDItemIsScreenCapture"), true);
  try {
    kit::ExtendedAttributes(url()).decodedBool("com.apple.metadata:kMDItemComment");
    FAIL() << "no error";
  } catch (const kit::PlatformError& error) {
    EXPECT_EQ(error.code(), 3840);
  }
  EXPECT_EQ(kit::fileFlag(url(), "kMDItemComment"), std::nullopt) << "a failure is no answer";
  EXPECT_EQ(kit::fileFlag(*platform::Url::fileUrl(folder / "gone.png"), "kMDItemIsScreenCapture"), std::nullopt);
}

TEST_F(FileMetadata, TheDesktopsOriginCommentAndTagsAreRead) {
  EXPECT_EQ(kit::originUrl(url()), std::nullopt);
  EXPECT_TRUE(kit::tags(url()).empty());
  setAttribute("user.xdg.origin.url", "https://example.org/shot.png");
  setAttribute("user.xdg.comment", "The first draft");
  setAttribute("user.xdg.tags", "work,,urgent");
  EXPECT_EQ(kit::originUrl(url()), "https://example.org/shot.png");
  EXPECT_EQ(kit::comment(url()), "The first draft");
  EXPECT_EQ(kit::tags(url()), (std::vector<std::string>{"work", "urgent"}));
}

}  // namespace
