#include "kit/preferences/json_form.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "preference_test_values.h"

using namespace preferences_test;

namespace {

TEST_F(PreferencesTest, BareJsonFormKeepsInnerBracketsAndEscapesSlashes) {
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

}  // namespace
