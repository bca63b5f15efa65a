#include "kit/foundation/pasteboard_markers.h"

#include <gtest/gtest.h>

namespace {

TEST(PasteboardUrl, WritesTheUrlTypeAndItsPlainTextForm) {
  auto write = [](const std::string& text) {
    platform::PasteboardItem item;
    EXPECT_TRUE(kit::setUrl(item, *platform::Url::parse(text)));
    return item;
  };
  auto mail = write("mailto:someone@example.com");
  EXPECT_EQ(mail.types, (std::vector<std::string>{platform::PasteboardType::url, platform::PasteboardType::string}));
  EXPECT_EQ(mail.dataByType[platform::PasteboardType::url], "mailto:someone@example.com");
  EXPECT_EQ(mail.dataByType[platform::PasteboardType::string], "someone@example.com");
  EXPECT_EQ(write("MAILTO:a@b.c").dataByType[platform::PasteboardType::string], "MAILTO:a@b.c");
  EXPECT_EQ(write("https://x.com/?to=mailto:a").dataByType[platform::PasteboardType::string],
            "https://x.com/?to=mailto:a");

  platform::PasteboardItem file;
  ASSERT_TRUE(kit::setUrl(file, *platform::Url::fileUrl("/tmp/a b.txt")));
  EXPECT_EQ(file.dataByType[platform::PasteboardType::fileUrl], "file:///tmp/a%20b.txt");
  EXPECT_EQ(file.dataByType[platform::PasteboardType::string], "/tmp/a b.txt");
}

}  // namespace
