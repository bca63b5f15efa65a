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

TEST_F(PreferencesTest, HashesAgreeWithEqualityAndTellOrderInListsApart) {
  const auto hash = [](PlistValue value) { return AnySerializable(std::move(value)).hash(); };
  EXPECT_EQ(hash(true), hash(int64_t{1}));
  EXPECT_EQ(hash(int64_t{1}), hash(1.0));
  EXPECT_EQ(hash(PlistArray{int64_t{1}, PlistDict{{"k", 2.0}}}), hash(PlistArray{1.0, PlistDict{{"k", int64_t{2}}}}));
  EXPECT_NE(hash(PlistArray{"a", "b"}), hash(PlistArray{"b", "a"}));
  EXPECT_NE(hash(PlistArray{"a"}), hash(PlistArray{"a", "a"}));
  EXPECT_NE(hash(PlistDict{{"x", "1"}, {"y", "2"}}), hash(PlistDict{{"x", "2"}, {"y", "1"}}));
  EXPECT_NE(hash("ab"), hash(Data{"ab"}));
}

}  // namespace
