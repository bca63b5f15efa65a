#include "kit/foundation/text_helpers.h"

#include <gtest/gtest.h>

namespace {

TEST(TextHelpers, BlankTextReadsAsNone) {
  EXPECT_EQ(kit::nilIfEmptyOrWhitespace(""), std::nullopt);
  EXPECT_EQ(kit::nilIfEmptyOrWhitespace(" \t\n\u00a0\u2028"), std::nullopt);
  EXPECT_EQ(kit::nilIfEmptyOrWhitespace(" a "), " a ");
  EXPECT_FALSE(kit::isEmptyOrWhitespace("\xff"));
  // A character counts by its first scalar: a space carrying a combining mark is still whitespace.
  EXPECT_TRUE(kit::isEmptyOrWhitespace(" \u0301\r\n"));
  EXPECT_FALSE(kit::isEmptyOrWhitespace("\u0301"));
}

}  // namespace
