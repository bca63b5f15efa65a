#include <gtest/gtest.h>

#include <QUuid>

#include "kit/preferences/any_serializable.h"
#include "kit/preferences/key.h"
#include "kit/preferences/migration.h"
#include "kit/preferences/url_bridge.h"
#include "kit/preferences/value_bridges.h"
#include "support/preference_files.h"

using namespace kit::Preferences;

namespace {

enum class Appearance { system, light, dark };

struct Tag {
  std::string rawValue;
  friend auto operator<=>(const Tag&, const Tag&) = default;
};

struct Point {
  int x = 0, y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Measure {
  double value = 0;
};

}  // namespace

template <>
struct kit::Preferences::RawRepresentation<Appearance> {
  using RawValue = std::string;
  static std::string rawValue(Appearance a) {
    return a == Appearance::light ? "light" : a == Appearance::dark ? "dark" : "system";
  }
  static std::optional<Appearance> make(const std::string& raw) {
    if (raw == "system") return Appearance::system;
    if (raw == "light") return Appearance::light;
    if (raw == "dark") return Appearance::dark;
    return std::nullopt;
  }
};
template <>
struct kit::Preferences::Serializable<Appearance> : PreferRawRepresentable<Appearance> {};
template <>
struct kit::Preferences::Serializable<Tag> : PreferRawRepresentable<Tag> {};
template <>
struct kit::Preferences::JsonCodec<Point> {
  static Json encode(const Point& p) { return {{"x", p.x}, {"y", p.y}}; }
  static std::optional<Point> decode(const Json& j) {
    if (!j.is_object() || !j.contains("x") || !j.contains("y")) return std::nullopt;
    auto x = JsonCodec<int>::decode(j["x"]), y = JsonCodec<int>::decode(j["y"]);
    if (!x || !y) return std::nullopt;
    return Point{*x, *y};
  }
};
template <>
struct kit::Preferences::Serializable<Point> : StoredAsJson<Point> {};
template <>
struct kit::Preferences::JsonCodec<Measure> {
  static Json encode(const Measure& m) { return {{"value", JsonCodec<double>::encode(m.value)}}; }
  static std::optional<Measure> decode(const Json& j) {
    if (!j.is_object() || !j.contains("value")) return std::nullopt;
    auto v = JsonCodec<double>::decode(j["value"]);
    if (!v) return std::nullopt;
    return Measure{*v};
  }
};
template <>
struct kit::Preferences::Serializable<Measure> : StoredAsJson<Measure> {};

namespace {

class TypedAccessTest : public ::testing::Test {
 protected:
  prefs_test::TemporaryConfigHome home;
  std::shared_ptr<UserDefaults> suite = UserDefaults::named(prefs_test::uniqueSuiteName());
};

TEST_F(TypedAccessTest, ReadsFallBackToTheDefaultAndWritesAreKeptEvenWhenEqualToIt) {
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

TEST_F(TypedAccessTest, StoredObjectsOfOtherKindsReadThroughBareJsonOrAsTheDefault) {
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

  suite->set("text", int64_t{3});
  EXPECT_EQ(get(text), "d");
  suite->set("text", "\"quoted\"");  // a stored string is taken as it is
  EXPECT_EQ(get(text), "\"quoted\"");
}

TEST_F(TypedAccessTest, BareJsonFormKeepsInnerBracketsAndEscapesSlashes) {
  EXPECT_EQ(bareJson(std::string("abc")), "\"abc\"");
  EXPECT_EQ(bareJson(true), "true");
  EXPECT_EQ(bareJson(std::vector<int>{1, 2}), "[1,2]");
  EXPECT_EQ(bareJson(std::string("a/b")), "\"a\\/b\"");
  EXPECT_EQ(fromBareJson<std::string>("\"a\\/b\""), "a/b");
  EXPECT_EQ(fromBareJson<bool>(""), std::nullopt);
  EXPECT_EQ(fromBareJson<std::vector<int>>("[1,2]"), (std::vector<int>{1, 2}));
  // No JSON form: none, never a crash.
  EXPECT_EQ(bareJson(std::numeric_limits<double>::quiet_NaN()), std::nullopt);
  EXPECT_EQ(bareJson(std::string("\xff\xfe")), std::nullopt);
}

TEST_F(TypedAccessTest, AValueWithoutStoredFormLeavesTheStoredValueInPlace) {
  Key<Point> where("where", Point{1, 1}, *suite);
  ASSERT_TRUE(set(where, Point{3, 4}));
  EXPECT_EQ(suite->object("where"), PlistValue("{\"x\":3,\"y\":4}"));
  EXPECT_EQ(get(where), (Point{3, 4}));

  Key<Measure> measure("measure", Measure{0}, *suite);
  ASSERT_TRUE(set(measure, Measure{2.5}));
  EXPECT_FALSE(set(measure, Measure{std::numeric_limits<double>::infinity()}));
  EXPECT_EQ(get(measure).value, 2.5);  // not removed
}

TEST_F(TypedAccessTest, RawValuesContainersAndUuidsUseTheirBridges) {
  Key<Appearance> appearance("appearance", Appearance::system, *suite);
  set(appearance, Appearance::dark);
  EXPECT_EQ(suite->object("appearance"), PlistValue("dark"));  // the raw value, not JSON
  suite->set("appearance", "sepia");
  EXPECT_EQ(get(appearance), Appearance::system);

  Key<std::vector<Tag>> tags("tags", {}, *suite);
  EXPECT_EQ(suite->object("tags"), PlistValue(PlistArray{}));  // registered as an empty array
  set(tags, {Tag{"a"}, Tag{"b"}});
  EXPECT_EQ(suite->object("tags"), PlistValue(PlistArray{"a", "b"}));
  suite->set("tags", PlistArray{"a", int64_t{1}});  // an array with a non-string reads as absent
  EXPECT_TRUE(get(tags).empty());

  Key<std::map<int, std::string>> byNumber("byNumber", {}, *suite);
  set(byNumber, {{1, "one"}, {2, "two"}});
  EXPECT_EQ(suite->object("byNumber"), PlistValue(PlistDict{{"1", "\"one\""}, {"2", "\"two\""}}));
  suite->set("byNumber", PlistDict{{"1", "\"one\""}, {"x", "\"ex\""}});
  EXPECT_EQ(get(byNumber), (std::map<int, std::string>{{1, "one"}}));

  Key<std::set<int>> numbers("numbers", {}, *suite);
  suite->set("numbers", PlistArray{int64_t{3}, int64_t{1}, int64_t{3}});
  EXPECT_EQ(get(numbers), (std::set<int>{1, 3}));
  suite->set("numbers", PlistDict{});
  EXPECT_TRUE(get(numbers).empty());

  Key<std::optional<platform::Url>> page("page", *suite);
  auto web = platform::Url::parse("https://example.com/a?b=c");
  auto file = platform::Url::fileUrl("/tmp/some file.txt");
  ASSERT_TRUE(web && file);
  set(page, web);
  EXPECT_EQ(suite->object("page"), PlistValue("\"https:\\/\\/example.com\\/a?b=c\""));
  EXPECT_EQ(get(page), web);
  set(page, file);
  EXPECT_EQ(get(page), file);

  Key<std::vector<QUuid>> ids("ids", {}, *suite);
  QUuid a = QUuid::createUuid(), b = QUuid::createUuid();
  suite->set("ids", PlistArray{a.toString(QUuid::WithoutBraces).toUpper().toStdString(), "not a uuid",
                               b.toString(QUuid::WithoutBraces).toStdString()});
  EXPECT_EQ(get(ids), (std::vector<QUuid>{a, b}));
}

TEST_F(TypedAccessTest, RemovingEverythingLeavesRegisteredDefaults) {
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
  EXPECT_EQ(BaseKeyHash()(a), BaseKeyHash()(sameName));
}

TEST_F(TypedAccessTest, MigrationTurnsOldJsonStringsIntoNativeValues) {
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

TEST_F(TypedAccessTest, TypeErasedValuesCompareByValueAndStandForNil) {
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
