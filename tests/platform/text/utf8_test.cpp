#include "platform/text/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace platform {
namespace {

TEST(Utf8, OnlyWellFormedSequencesDecode) {
  EXPECT_FALSE(isValidUtf8("\xed\xa0\x80"));      // an encoded surrogate
  EXPECT_FALSE(isValidUtf8("\xc0\xaf"));          // an overlong form
  EXPECT_FALSE(isValidUtf8("\xf4\x90\x80\x80"));  // above U+10FFFF
  EXPECT_TRUE(isValidUtf8("a\u00e9\u20ac\U0001F600"));
  const DecodedScalar euro = decodeUtf8("x\u20ac", 1);
  EXPECT_EQ(euro.scalar, 0x20ACu);
  EXPECT_EQ(euro.length, 3u);
  EXPECT_TRUE(euro.valid);
  const DecodedScalar cut = decodeUtf8("\xe2\x82", 0);
  EXPECT_EQ(cut.scalar, replacementCharacter);
  EXPECT_EQ(cut.length, 1u);  // each invalid byte is consumed on its own
  EXPECT_FALSE(cut.valid);
}

// ASCII is passed over several bytes at a time: a bad byte is seen wherever it falls.
TEST(Utf8, AnInvalidByteIsFoundAtEveryOffset) {
  for (std::size_t offset = 0; offset <= 17; ++offset) {
    std::string text(24, 'a');
    EXPECT_TRUE(isValidUtf8(text.replace(offset, 2, "\u00e9"))) << offset;
    text[offset + 1] = 'a';
    EXPECT_FALSE(isValidUtf8(text)) << offset;  // a lead byte without its continuation
  }
}

TEST(Utf8, APrefixNeverSplitsACharacter) {
  EXPECT_EQ(utf8Prefix("a\u20acb", 3), "a");  // the euro sign does not fit whole
  EXPECT_EQ(utf8Prefix("a\u20acb", 4), "a\u20ac");
  EXPECT_EQ(utf8Prefix("\U0001F600", 3), "");
  EXPECT_EQ(utf8Prefix("short", 10), "short");
}

TEST(Utf8, InvalidInputBecomesReplacementCharactersOneByOne) {
  EXPECT_EQ(sanitizedUtf8("a\xff\xe2\x82"), "a\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(toUtf8(u"\xD800x"), "\uFFFDx");
  EXPECT_EQ(toUtf16("\xc0\xaf\U0001F600"), u"\uFFFD\uFFFD\U0001F600");
  EXPECT_EQ(toUtf8(toUtf16("Gr\u00fc\u00dfe \U0001F424")), "Gr\u00fc\u00dfe \U0001F424");
}

}  // namespace
}  // namespace platform
