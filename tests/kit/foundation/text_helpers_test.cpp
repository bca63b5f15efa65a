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

TEST(TextHelpers, AnOptionalInATextIsItsValuesFormOrTheFallback) {
  EXPECT_EQ(kit::describe(std::optional<bool>(true)), "true");
  EXPECT_EQ(kit::describe(std::optional<double>(0.1 + 0.2)), "0.30000000000000004");
  EXPECT_EQ(kit::describe(std::optional<std::string>("x")), "x");
  EXPECT_EQ(kit::describe(std::optional<int>()), "nil");
  EXPECT_EQ(kit::describe(std::optional<int>(), "none"), "none");
}

}  // namespace
