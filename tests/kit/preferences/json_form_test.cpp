#include "kit/preferences/json_form.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <map>
#include <vector>

#include "preference_test_values.h"

using namespace preferences_test;

namespace {

TEST_F(PreferencesTest, BareJsonFormKeepsInnerBracketsAndEscapesSlashes) {
  EXPECT_EQ(bareJson(std::string("abc")), "\"abc\"");
  EXPECT_EQ(bareJson(true), "true");
  EXPECT_EQ(bareJson(std::vector<int>{1, 2}), "[1,2]");
  EXPECT_EQ(bareJson(std::string("a/b")), "\"a\\/b\"");
  // A float is written as its own shortest text, and reads back as the same float.
  EXPECT_EQ(bareJson(std::vector<float>{0.1f, 1e-7f, 3.4028235e38f}), "[0.1,1e-07,3.4028235e+38]");
  EXPECT_EQ(fromBareJson<float>(*bareJson(0.3f)), 0.3f);
  // A whole real is written as an integer, inside a value too, and reads back as the real.
  EXPECT_EQ(bareJson(std::vector<double>{1.0, -2.0, 0.5, 1e19, -0.0}), "[1,-2,0.5,10000000000000000000,-0.0]");
  EXPECT_EQ(bareJson(Measure{3.0}), "{\"value\":3}");
  EXPECT_EQ(fromBareJson<double>("1"), 1.0);
  EXPECT_EQ(fromBareJson<std::string>("\"a\\/b\""), "a/b");
  EXPECT_EQ(fromBareJson<bool>(""), std::nullopt);
  EXPECT_EQ(fromBareJson<std::vector<int>>("[1,2]"), (std::vector<int>{1, 2}));
  EXPECT_EQ(fromBareJson<uint8_t>("255.0"), 255) << "a whole real up to the type's largest value";
  EXPECT_EQ(fromBareJson<int>("2147483647.0"), std::numeric_limits<int>::max());
  EXPECT_EQ(fromBareJson<uint8_t>("256.0"), std::nullopt);
  // Text of several values reads only when every one of them is of the type.
  EXPECT_EQ(fromBareJson<int>("42,43"), 42);
  EXPECT_EQ(fromBareJson<int>("42,\"x\""), std::nullopt);
  EXPECT_EQ(fromBareJson<bool>("true,1"), std::nullopt);
  Key<bool> flag("flag", false, *suite);
  suite->set("flag", "true,1");
  EXPECT_FALSE(get(flag));
  // No JSON form: none, never a crash.
  EXPECT_EQ(bareJson(std::numeric_limits<double>::quiet_NaN()), std::nullopt);
  EXPECT_EQ(bareJson(std::string("\xff\xfe")), std::nullopt);
}

// A dictionary with integer keys is a JSON object keyed by their text; one key that is no integer makes it unreadable.
TEST_F(PreferencesTest, IntegerKeyedDictionariesAreJsonObjectsKeyedByTheirText) {
  using Names = std::map<int, std::string>;
  EXPECT_EQ(bareJson(Names{{2, "b"}, {-1, "a"}}), "{\"-1\":\"a\",\"2\":\"b\"}");
  EXPECT_EQ(fromBareJson<Names>("{\"-1\":\"a\",\"2\":\"b\"}"), (Names{{2, "b"}, {-1, "a"}}));
  using SmallNames = std::map<int8_t, std::string>;
  for (const char* other : {"{\"1\":\"a\",\"x\":\"b\"}", "{\" 1\":\"a\"}", "{\"1.0\":\"a\"}", "{\"300\":\"a\"}"})
    EXPECT_EQ(fromBareJson<SmallNames>(other), std::nullopt) << other;
  EXPECT_EQ(fromBareJson<SmallNames>("{\"01\":\"a\",\"+2\":\"b\",\"-3\":\"c\"}"),
            (SmallNames{{1, "a"}, {2, "b"}, {-3, "c"}}));
}

}  // namespace
