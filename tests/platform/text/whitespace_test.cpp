#include "platform/text/whitespace.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(Whitespace, ACharacterIsJudgedByItsFirstScalar) {
  EXPECT_TRUE(isWhitespaceCharacter("\r\n"));
  EXPECT_TRUE(isWhitespaceCharacter(" \u0301"));
  EXPECT_TRUE(isWhitespaceCharacter("\u3000"));
  EXPECT_FALSE(isWhitespaceCharacter("\u200B"));  // zero width space is not White_Space
  EXPECT_FALSE(isWhitespaceCharacter(""));
  EXPECT_TRUE(isNewlineScalar(0x2029));
  EXPECT_FALSE(isNewlineScalar(0x20));
  EXPECT_FALSE(isNewlineScalar(0xA0));
}

TEST(Whitespace, TrimmingDropsWhitespaceScalarsAtBothEndsAndKeepsInvalidBytes) {
  EXPECT_EQ(trimmingWhitespaceAndNewlines(" \t\n a  b \r\n\u00A0\u3000"), "a  b");
  EXPECT_EQ(trimmingWhitespaceAndNewlines("\u2028\u2029 \n\u0085\u202F"), "");
  EXPECT_EQ(trimmingWhitespaceAndNewlines("\xFF x \xFF"), "\xFF x \xFF");
  EXPECT_EQ(trimmingWhitespaceAndNewlines("\xC0\xA0x"), "\xC0\xA0x");  // an overlong space is no space
  EXPECT_EQ(trimmingWhitespaceAndNewlines(" \u200Bx\u200B "), "\u200Bx\u200B");
}

}  // namespace
}  // namespace platform
