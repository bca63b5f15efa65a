#include "platform/core/ascii.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(Ascii, CaseFoldsOnlyAsciiLetters) {
  EXPECT_EQ(asciiLowercased("HTTPS://Example.ORG/Ä"), "https://example.org/Ä");
  EXPECT_TRUE(equalsIgnoringAsciiCase("StartupWMClass", "startupwmclass"));
  EXPECT_FALSE(equalsIgnoringAsciiCase("\u00C4", "\u00E4"));  // Ä and ä
  EXPECT_FALSE(equalsIgnoringAsciiCase("mailto", "mailto:"));
  EXPECT_FALSE(equalsIgnoringAsciiCase("[", "{"));  // one case bit apart, but no letters
  EXPECT_TRUE(startsWithIgnoringAsciiCase("<!DOCTYPE html>", "<!doctype"));
  EXPECT_FALSE(startsWithIgnoringAsciiCase("<!doc", "<!doctype"));
}

TEST(Ascii, HexDigitsOfEitherCase) {
  EXPECT_EQ(hexDigitValue('0'), 0);
  EXPECT_EQ(hexDigitValue('a'), 10);
  EXPECT_EQ(hexDigitValue('F'), 15);
  EXPECT_EQ(hexDigitValue('g'), -1);
  EXPECT_FALSE(isHexDigit('%'));
}

}  // namespace
}  // namespace platform
