#include "kit/foundation/foundation_helpers.h"

#include <gtest/gtest.h>

#include <string>
#include <unordered_map>

#include "kit/foundation/general_error.h"
#include "kit/foundation/string_hash.h"

namespace {

TEST(FoundationHelpers, BytesTypesAndUrls) {
  EXPECT_EQ(kit::droppingTrailingNullByte(std::string("abc\0", 4)), "abc");
  EXPECT_EQ(kit::droppingTrailingNullByte(std::string("ab\0\0", 4)), std::string("ab\0", 3));
  EXPECT_EQ(kit::droppingTrailingNullByte(kit::Bytes8{}), kit::Bytes8{});
  EXPECT_EQ(kit::subrange(kit::Bytes8{1, 2, 3, 4}, 1, 3), (kit::Bytes8{2, 3}));
  EXPECT_DEATH(kit::subrange(kit::Bytes8{1}, 0, 2), "out of bounds");

  EXPECT_EQ(kit::typeName(kit::GeneralError("x")), "kit::GeneralError");
  std::unordered_map<kit::HashableType, std::string> controllers{
      {kit::HashableType::of<kit::GeneralError>(), "general"}, {kit::HashableType::of<kit::Error>(), "base"}};
  const kit::Error& error = kit::GeneralError("y");
  EXPECT_EQ(controllers.at(kit::HashableType::ofObject(error)), "general") << "an object counts as its dynamic type";
  EXPECT_NE(kit::HashableType::of<int>(), kit::HashableType::of<long>());
  EXPECT_EQ(kit::urlFromLiteral("https://example.com/a").host(), "example.com");
  EXPECT_DEATH(kit::urlFromLiteral("not a url"), "Invalid URL literal");
}

TEST(FoundationHelpers, TextHashIsFnv1aOverTheUtf8Bytes) {
  static_assert(kit::fnv1aHash("") == 0xcbf29ce484222325ULL, "the offset basis");
  EXPECT_EQ(kit::fnv1aHash("a"), 0xaf63dc4c8601ec8cULL);
  EXPECT_EQ(kit::fnv1aHash("foobar"), 0x85944171f73967e8ULL);
  // A two-byte character is two steps: the same as its two bytes given one by one.
  EXPECT_EQ(kit::fnv1aHash("\u00e9"), kit::fnv1aHash(std::string{'\xc3', '\xa9'}));
  EXPECT_NE(kit::fnv1aHash("\u00e9"), kit::fnv1aHash("e\u0301"));
}

}  // namespace
