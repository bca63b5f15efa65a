#include "kit/preferences/any_serializable.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <map>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "preference_test_values.h"

using namespace preferences_test;

namespace {

TEST_F(PreferencesTest, TypeErasedValuesCompareByValueAndStandForNil) {
  EXPECT_EQ(AnySerializable(int64_t{1}), AnySerializable(1.0));
  EXPECT_NE(AnySerializable(int64_t{1}), AnySerializable("1"));
  EXPECT_EQ(AnySerializable(true), AnySerializable(int64_t{1}));
  // Numbers compare as the first kind both are exactly: an integer is no real it rounds to, -1 no 2^64 - 1.
  EXPECT_NE(AnySerializable(int64_t{9007199254740993}), AnySerializable(9007199254740992.0));
  EXPECT_NE(AnySerializable(int64_t{-1}), AnySerializable(std::numeric_limits<uint64_t>::max()));
  EXPECT_EQ(AnySerializable(uint64_t{1} << 63), AnySerializable(9223372036854775808.0));
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

TEST_F(PreferencesTest, TypeErasedValuesAreWrittenAsLiterals) {
  AnySerializable flag = true, count = 1, ratio = 1.5, name = "abc", none = std::nullopt;
  EXPECT_EQ(flag.value(), PlistValue(true));
  EXPECT_EQ(count.value(), PlistValue(int64_t{1}));
  EXPECT_EQ(ratio.value(), PlistValue(1.5));
  EXPECT_EQ(name.value(), PlistValue("abc"));
  EXPECT_TRUE(none.isNil());
  const AnySerializable list = std::vector<AnySerializable>{1, "a", std::nullopt, std::vector<AnySerializable>{}};
  EXPECT_EQ(list.value(), PlistValue(PlistArray{int64_t{1}, "a", PlistArray{}}));
  const AnySerializable table = {{"a", 1}, {"b", {{"c", false}}}, {"d", std::nullopt}};
  EXPECT_EQ(table.value(), PlistValue(PlistDict{{"a", int64_t{1}}, {"b", PlistDict{{"c", false}}}}));

  // Text literals of every encoding are text, one character too; a pointer of another kind is no literal.
  for (const AnySerializable& text : {AnySerializable(u8"é€"), AnySerializable(u"é€"), AnySerializable(U"é€"),
                                      AnySerializable(L"é€"), AnySerializable(std::string_view("é€"))})
    EXPECT_EQ(text.value(), PlistValue("é€"));
  EXPECT_EQ(AnySerializable(U'€').value(), PlistValue("€"));
  EXPECT_EQ(AnySerializable('a').value(), PlistValue("a"));
  // A code unit that is no character of its encoding: a lone surrogate, a value beyond Unicode, a stray byte.
  for (const AnySerializable& text : {AnySerializable(u"\xD800x"), AnySerializable(U"\xD800x"),
                                      AnySerializable(U"\x110000x"), AnySerializable(u8"\xFFx")})
    EXPECT_EQ(text.value(), PlistValue("\uFFFDx"));
  static_assert(!std::is_constructible_v<AnySerializable, int*> && !std::is_constructible_v<AnySerializable, void*>);
  static_assert(!std::is_convertible_v<const double*, AnySerializable>);
  // Integers of every width keep their value, above the largest signed one too.
  EXPECT_EQ(AnySerializable(uint8_t{200}).value(), PlistValue(int64_t{200}));
  EXPECT_EQ(AnySerializable(std::numeric_limits<uint64_t>::max()).get<uint64_t>(),
            std::numeric_limits<uint64_t>::max());

  Key<AnySerializable> any("literal", 1, *suite);
  EXPECT_EQ(suite->object("literal"), PlistValue(int64_t{1})) << "the default is registered";
  set(any, {{"x", "y"}});
  using Names = std::map<std::string, std::string>;
  EXPECT_EQ(get(any).get<Names>(), (Names{{"x", "y"}}));
}

TEST(AnySerializableDeathTest, ARepeatedKeyInADictionaryLiteralStopsTheProgram) {
  EXPECT_DEATH(AnySerializable({{"a", 1}, {"b", 2}, {"a", 3}}), "Dictionary literal contains duplicate keys");
  EXPECT_DEATH(AnySerializable({{"a", std::nullopt}, {"a", 3}}), "Dictionary literal contains duplicate keys");
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
