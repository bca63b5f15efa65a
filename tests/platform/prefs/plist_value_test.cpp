#include "platform/prefs/plist_value.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

// The hashes tell a changed value in a preferences file from an unchanged one.
TEST(PlistValueHashTest, EqualValuesHashAlikeAndMovedPartsHashApart) {
  EXPECT_EQ(hashValue(PlistDict{{"a", PlistArray{"x", int64_t{1}}}, {"b", 2.5}}),
            hashValue(PlistDict{{"b", 2.5}, {"a", PlistArray{"x", int64_t{1}}}}));
  EXPECT_NE(hashValue(PlistArray{"x", "y"}), hashValue(PlistArray{"y", "x"}));
  EXPECT_NE(hashValue(PlistDict{{"a", "b"}}), hashValue(PlistDict{{"b", "a"}}));
  EXPECT_NE(hashValue(PlistArray{PlistArray{"x"}, "y"}), hashValue(PlistArray{PlistArray{"x", "y"}}));
  EXPECT_NE(hashValue(PlistValue(true)), hashValue(PlistValue(int64_t{1})));
  EXPECT_NE(hashValue(PlistValue("ab")), hashValue(PlistValue(PlistData{"ab"})));
}

}  // namespace
