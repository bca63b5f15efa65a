#include "kit/preferences/migration.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "kit/preferences/foundation_conformances.h"
#include "preference_test_values.h"

using namespace preferences_test;

// A type stored natively as its day number, which an earlier store wrote as the day's name.
enum class Weekday { monday = 1, tuesday = 2 };
template <>
struct kit::Preferences::NativeForm<Weekday> {
  static PlistValue toPlist(Weekday day) { return static_cast<int64_t>(day); }
  static std::optional<Weekday> fromPlist(const PlistValue& p) {
    auto number = NativeForm<int>::fromPlist(p);
    if (!number || *number < 1 || *number > 2) return std::nullopt;
    return static_cast<Weekday>(*number);
  }
};
template <>
struct kit::Preferences::JsonCodec<Weekday> {
  static Json encode(Weekday day) { return static_cast<int>(day); }
  static std::optional<Weekday> decode(const Json& j) {
    auto number = JsonCodec<int>::decode(j);
    if (!number || *number < 1 || *number > 2) return std::nullopt;
    return static_cast<Weekday>(*number);
  }
};
template <>
struct kit::Preferences::Serializable<Weekday> {
  static constexpr bool storesNatively = true;
  using Bridge = TopLevelCodableBridge<Weekday>;
};
template <>
struct kit::Preferences::CodableForm<Weekday> {
  using Type = std::string;
  static std::optional<Weekday> toNative(const std::string& name) {
    if (name == "monday") return Weekday::monday;
    if (name == "tuesday") return Weekday::tuesday;
    return std::nullopt;
  }
};

namespace {

TEST(MigrationVersion, OnlyFiveIsAVersion) {
  EXPECT_EQ(version(5), Version::v5);
  for (int64_t other : {int64_t{0}, int64_t{4}, int64_t{6}, int64_t{-5}, int64_t{5} << 32, INT64_MIN}) {
    EXPECT_EQ(version(other), std::nullopt) << other;
  }
}

TEST_F(PreferencesTest, MigrationOfNativeTypesGoesThroughTheirEarlierCodableForm) {
  Key<Weekday> day("day", Weekday::tuesday, *suite);
  Key<Weekday> unknown("unknown", Weekday::tuesday, *suite);
  Key<std::vector<Weekday>> days("days", {}, *suite);
  suite->set("day", "\"monday\"");
  suite->set("unknown", "\"funday\"");
  suite->set("days", "[\"tuesday\",\"monday\"]");
  migrate({&day, &unknown}, Version::v5);
  migrate({&days}, Version::v5);
  EXPECT_EQ(*suite->object("day")->get<int64_t>(), 1);
  EXPECT_EQ(get(day), Weekday::monday);
  EXPECT_EQ(*suite->object("unknown")->get<std::string>(), "\"funday\"") << "a name with no day stays as it was";
  EXPECT_EQ(get(days), (std::vector<Weekday>{Weekday::tuesday, Weekday::monday}));
  EXPECT_EQ(suite->object("days")->get<PlistArray>()->size(), 2u);
}

TEST_F(PreferencesTest, MigrationTurnsOldJsonStringsIntoNativeValues) {
  Key<bool> flag("flag", false, *suite);
  Key<std::vector<std::string>> list("list", {}, *suite);
  Key<int> broken("broken", 0, *suite);
  Key<int> absent("absent", 5, *suite);
  suite->set("flag", "true");
  suite->set("broken", "{not json");
  suite->set("list", "[\"a\",\"b\"]");
  migrate(std::vector<const Key<bool>*>{&flag}, Version::v5);
  migrate(std::vector<const Key<int>*>{&broken, &absent}, Version::v5);
  migrate(std::vector<const Key<std::vector<std::string>>*>{&list}, Version::v5);
  EXPECT_EQ(suite->object("flag"), PlistValue(true));
  EXPECT_EQ(suite->object("list"), PlistValue(PlistArray{"a", "b"}));
  EXPECT_EQ(suite->object("broken"), PlistValue("{not json"));
  EXPECT_FALSE(suite->persistentDomain().count("absent"));
  migrate(std::vector<const Key<std::vector<std::string>>*>{&list}, Version::v5);
  EXPECT_EQ(suite->object("list"), PlistValue(PlistArray{"a", "b"}));
}

// Application ids and dictionaries with integer keys are read from their JSON and stored as they always are: ids as
// plain text, a dictionary keyed by the integers' text.
TEST_F(PreferencesTest, MigrationTakesApplicationIdsAndIntegerKeyedDictionaries) {
  Key<std::vector<kit::BundleIdentifier>> apps("excludedApps", {}, *suite);
  Key<std::map<int, std::string>> names("names", {}, *suite);
  Key<std::map<int, std::string>> misnamed("misnamed", {}, *suite);
  suite->set("excludedApps", "[\"a\",\"b\"]");
  suite->set("names", "{\"1\":\"one\",\"2\":\"two\"}");
  suite->set("misnamed", "{\"1\":\"one\",\"x\":\"two\"}");
  migrate({&apps}, Version::v5);
  migrate({&names, &misnamed}, Version::v5);
  EXPECT_EQ(suite->object("excludedApps"), PlistValue(PlistArray{"a", "b"}));
  EXPECT_EQ(get(apps), (std::vector<kit::BundleIdentifier>{"a", "b"}));
  EXPECT_EQ(get(names), (std::map<int, std::string>{{1, "one"}, {2, "two"}}));
  EXPECT_EQ(suite->object("names")->get<PlistDict>()->count("2"), 1u);
  EXPECT_EQ(suite->object("misnamed"), PlistValue("{\"1\":\"one\",\"x\":\"two\"}"));
}

TEST_F(PreferencesTest, MigrationOfSetKeysMakesTheElementFormsASetAgain) {
  Key<std::set<std::string>> tags("tags", {}, *suite);
  Key<std::set<Weekday>> days("days", {}, *suite);
  Key<std::set<int>> notAnArray("notAnArray", {9}, *suite);
  suite->set("tags", "[\"b\",\"a\",\"b\"]");
  suite->set("days", "[\"tuesday\",\"monday\",\"tuesday\"]");
  suite->set("notAnArray", "{\"a\":1}");
  migrate({&tags}, Version::v5);
  migrate({&days}, Version::v5);
  migrate({&notAnArray}, Version::v5);
  EXPECT_EQ(get(tags), (std::set<std::string>{"a", "b"}));
  EXPECT_EQ(suite->object("tags"), PlistValue(PlistArray{"a", "b"}));
  EXPECT_EQ(get(days), (std::set<Weekday>{Weekday::monday, Weekday::tuesday}));
  EXPECT_EQ(suite->object("days"), PlistValue(PlistArray{int64_t{1}, int64_t{2}}));
  EXPECT_EQ(suite->object("notAnArray"), PlistValue("{\"a\":1}"));
  EXPECT_EQ(get(notAnArray), std::set<int>{9});
}

}  // namespace
