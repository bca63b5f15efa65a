#include "platform/text/rtfd_reader.h"

#include <gtest/gtest.h>

#include "platform/text/rtf_reader.h"
#include "support/rich_text.h"

namespace platform {
namespace {

using richtext_test::readDocument;

TEST(RtfdReaderTest, FlattenedRtfdCarriesItsRtf) {
  std::string rtf = readDocument("mac_style_list.rtf");
  std::string flat = std::string("rtfd\0\0\0\0\3\0\0\0", 12) + "TXT.rtf" + rtf + "\x89PNG attachment bytes {\\rtf1 no}";
  std::optional<AttributedString> read = readRtfd(flat);
  ASSERT_TRUE(read);
  EXPECT_EQ(*read, *readRtf(rtf));
  EXPECT_FALSE(readRtfd(rtf));  // plain RTF is no RTFD
  EXPECT_FALSE(readRtfd(std::string("rtfd\0\0\0\0", 8) + "no document here"));
}

}  // namespace
}  // namespace platform
