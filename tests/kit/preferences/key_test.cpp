#include "kit/preferences/key.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>
#include <unordered_set>

#include "kit/foundation/log.h"
#include "preference_test_values.h"

using namespace preferences_test;

namespace {

TEST_F(PreferencesTest, ReadsFallBackToTheDefaultAndWritesAreKeptEvenWhenEqualToIt) {
  Key<bool> flag("flag", true, *suite);
  EXPECT_TRUE(get(flag));
  EXPECT_TRUE(suite->persistentDomain().empty());  // registration writes nothing
  set(flag, false);
  EXPECT_FALSE(get(flag));
  flag.reset();
  EXPECT_TRUE(get(flag));
  set(flag, true);
  EXPECT_EQ(suite->persistentDomain().count("flag"), 1u);

  Key<std::optional<std::string>> version("version", *suite);
  EXPECT_FALSE(suite->object("version"));
  set(version, std::optional<std::string>("1.2"));
  EXPECT_EQ(get(version), "1.2");
  set(version, std::optional<std::string>());
  EXPECT_FALSE(suite->object("version"));

  modify(flag, [](bool& v) { v = !v; });
  EXPECT_FALSE(get(flag));
  EXPECT_THROW(modify(flag,
                      [](bool& v) {
                        v = true;
                        throw std::runtime_error("x");
                      }),
               std::runtime_error);
  EXPECT_TRUE(get(flag));  // written back although the change threw

  // A toggle stores the negation before it calls back.
  bool calledAfterWrite = false;
  toggle(flag, [&] { calledAfterWrite = !get(flag); });
  EXPECT_TRUE(calledAfterWrite);
  toggle(flag);
  EXPECT_TRUE(get(flag));
}

TEST_F(PreferencesTest, StoredObjectsOfOtherKindsReadThroughBareJsonOrAsTheDefault) {
  Key<bool> flag("flag", false, *suite);
  Key<int> count("count", 7, *suite);
  Key<std::string> text("text", "d", *suite);
  suite->set("flag", "true");
  EXPECT_TRUE(get(flag));
  suite->set("flag", "1");  // JSON of a number, not of a Bool
  EXPECT_FALSE(get(flag));
  suite->set("flag", int64_t{1});  // a number that bridges to Bool
  EXPECT_TRUE(get(flag));
  suite->set("flag", int64_t{2});
  EXPECT_FALSE(get(flag));

  suite->set("count", "42");
  EXPECT_EQ(get(count), 42);
  suite->set("count", "42.5");
  EXPECT_EQ(get(count), 7);
  suite->set("count", int64_t{1} << 40);  // does not fit an int
  EXPECT_EQ(get(count), 7);
  Key<int8_t> small("small", 0, *suite);
  suite->set("small", 127.0);  // a whole real up to the largest value
  EXPECT_EQ(get(small), 127);
  Key<uint64_t> large("large", 0, *suite);
  set(large, (uint64_t{1} << 63) + 1);
  EXPECT_EQ(suite->object("large"), PlistValue((uint64_t{1} << 63) + 1)) << "an integer, not a real";
  EXPECT_EQ(get(large), (uint64_t{1} << 63) + 1);

  suite->set("text", int64_t{3});
  EXPECT_EQ(get(text), "d");
  suite->set("text", "\"quoted\"");  // a stored string is taken as it is
  EXPECT_EQ(get(text), "\"quoted\"");
}

TEST_F(PreferencesTest, AStoredValueOfTheWrongKindIsWarnedAboutOncePerKeyAndKept) {
  Key<bool> flag("wrongKindFlag", true, *suite);
  Key<std::optional<int>> limit("wrongKindLimit", *suite);
  suite->set("wrongKindFlag", "yes please");
  suite->set("wrongKindLimit", PlistArray{1});
  kit::debugLogStore().clear();
  EXPECT_TRUE(get(flag));
  EXPECT_TRUE(get(flag));
  EXPECT_EQ(get(limit), std::nullopt);
  const auto entries = kit::debugLogStore().entries();
  ASSERT_EQ(entries.size(), 2u) << "one warning per key, however often it is read";
  EXPECT_NE(entries[0].find("\"wrongKindFlag\" \"holds a string where a boolean is expected;"), std::string::npos)
      << entries[0];
  EXPECT_NE(entries[1].find("\"wrongKindLimit\" \"holds an array where an integer is expected;"), std::string::npos)
      << entries[1];
  EXPECT_EQ(suite->object("wrongKindFlag"), PlistValue("yes please")) << "the user's value stays";
}

TEST_F(PreferencesTest, AValueWithoutStoredFormLeavesTheStoredValueInPlace) {
  Key<Point> where("where", Point{1, 1}, *suite);
  ASSERT_TRUE(set(where, Point{3, 4}));
  EXPECT_EQ(suite->object("where"), PlistValue("{\"x\":3,\"y\":4}"));
  EXPECT_EQ(get(where), (Point{3, 4}));

  Key<Measure> measure("measure", Measure{0}, *suite);
  ASSERT_TRUE(set(measure, Measure{2.5}));
  EXPECT_FALSE(set(measure, Measure{std::numeric_limits<double>::infinity()}));
  EXPECT_EQ(get(measure).value, 2.5);  // not removed
}

TEST_F(PreferencesTest, ASuiteIsWrittenUnderABareNameAndReadThroughAnyKeyWithThatKeysDefault) {
  ASSERT_TRUE(setDefault(*suite, std::vector<std::string>{"a", "b"}, "list"));
  EXPECT_EQ(suite->object("list"), PlistValue(PlistArray{"a", "b"}));
  ASSERT_TRUE(setDefault(*suite, Point{1, 2}, "where"));
  EXPECT_EQ(suite->object("where"), PlistValue("{\"x\":1,\"y\":2}")) << "through the type's bridge";
  kit::debugLogStore().clear();
  EXPECT_FALSE(setDefault(*suite, Measure{std::numeric_limits<double>::infinity()}, "where"));
  EXPECT_EQ(suite->object("where"), PlistValue("{\"x\":1,\"y\":2}")) << "no stored form: the stored value stays";
  const auto entries = kit::debugLogStore().entries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_NE(entries[0].find("\"where\" \"cannot be stored; the stored value is kept.\""), std::string::npos)
      << entries[0];
  ASSERT_TRUE(setDefault(*suite, std::optional<int>(), "list"));
  EXPECT_FALSE(suite->object("list")) << "nil removes";

  // A key of another suite reads this suite under its name, with its own default when this suite has nothing.
  const auto other = platform::UserDefaults::named(prefs_test::uniqueSuiteName());
  Key<int> count("count", 7, *other);
  set(count, 1);
  EXPECT_EQ(get(*suite, count), 7);
  setDefault(*suite, 3, "count");
  EXPECT_EQ(get(*suite, count), 3);
  EXPECT_EQ(get(count), 1);
  suite->set("count", "three");
  EXPECT_EQ(get(*suite, count), 7);
}

TEST_F(PreferencesTest, RemovingEverythingLeavesRegisteredDefaults) {
  Key<bool> a("a", true, *suite);
  Key<int> b("b", 3, *suite);
  set(a, false);
  set(b, 9);
  suite->set("stray", "x");
  removeAll(*suite);
  EXPECT_TRUE(get(a));
  EXPECT_EQ(get(b), 3);
  EXPECT_TRUE(suite->persistentDomain().empty());

  Key<bool> sameName("a", false, *suite);
  EXPECT_TRUE(static_cast<const BaseKey&>(a) == sameName);
  EXPECT_EQ(std::hash<BaseKey>()(a), std::hash<BaseKey>()(sameName));
  std::unordered_set<BaseKey> keys{a, sameName, b};
  EXPECT_EQ(keys.size(), 2u);
}

}  // namespace
