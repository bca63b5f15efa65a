#include "kit/preferences/value_bridges.h"

#include <gtest/gtest.h>

#include <QUuid>
#include <map>
#include <set>
#include <unordered_set>
#include <vector>

#include "kit/preferences/url_bridge.h"
#include "preference_test_values.h"

using namespace preferences_test;

namespace {

TEST_F(PreferencesTest, RawValuesContainersAndUuidsUseTheirBridges) {
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
  suite->set("byNumber", PlistDict{{"01", "\"one\""}, {"+3", "\"three\""}, {"x", "\"ex\""}, {"1.0", "\"\""}});
  EXPECT_EQ(get(byNumber), (std::map<int, std::string>{{1, "one"}, {3, "three"}}));

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

  // Elements that are hashable but not ordered make an unordered set.
  Key<std::unordered_set<platform::Url>> visited("visited", {}, *suite);
  set(visited, {*web, *file});
  EXPECT_EQ(get(visited), (std::unordered_set<platform::Url>{*web, *file}));
  suite->set("visited", PlistArray{"\"https:\\/\\/example.com\\/a?b=c\"", "\"https:\\/\\/example.com\\/a?b=c\""});
  EXPECT_EQ(get(visited), (std::unordered_set<platform::Url>{*web}));

  Key<std::vector<QUuid>> ids("ids", {}, *suite);
  QUuid a = QUuid::createUuid(), b = QUuid::createUuid();
  suite->set("ids", PlistArray{a.toString(QUuid::WithoutBraces).toUpper().toStdString(), "not a uuid",
                               b.toString(QUuid::WithoutBraces).toStdString()});
  EXPECT_EQ(get(ids), (std::vector<QUuid>{a, b}));
}

}  // namespace
