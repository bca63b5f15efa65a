#include "kit/preferences/any_serializable.h"

#include <gtest/gtest.h>

#include "preference_test_values.h"

using namespace preferences_test;

namespace {

TEST_F(PreferencesTest, TypeErasedValuesCompareByValueAndStandForNil) {
  EXPECT_EQ(AnySerializable(int64_t{1}), AnySerializable(1.0));
  EXPECT_NE(AnySerializable(int64_t{1}), AnySerializable("1"));
  EXPECT_TRUE(AnySerializable().isNil());
  AnySerializable a(PlistDict{{"x", int64_t{1}}, {"y", "z"}}), b(PlistDict{{"y", "z"}, {"x", 1.0}});
  EXPECT_EQ(a, b);
  EXPECT_EQ(a.hash(), b.hash());
  EXPECT_EQ(AnySerializable::of(Point{1, 2}).get<Point>(), (Point{1, 2}));

  Key<AnySerializable> any("any", AnySerializable(), *suite);
  EXPECT_TRUE(suite->dictionaryRepresentation().empty());  // a nil default registers nothing
  EXPECT_TRUE(get(any).isNil());
  set(any, AnySerializable(PlistArray{"a"}));
  EXPECT_EQ(suite->object("any"), PlistValue(PlistArray{"a"}));
  set(any, AnySerializable());
  EXPECT_FALSE(suite->object("any"));
}

}  // namespace
