#include "kit/foundation/foundation_helpers.h"

#include <gtest/gtest.h>

#include <string>
#include <unordered_map>

#include "kit/foundation/general_error.h"

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

}  // namespace
