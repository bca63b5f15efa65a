#include "kit/preferences/migration.h"

#include <gtest/gtest.h>

#include <vector>

#include "preference_test_values.h"

using namespace preferences_test;

namespace {

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

}  // namespace
