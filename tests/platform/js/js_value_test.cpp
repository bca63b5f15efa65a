#include "platform/js/js_value.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>

#include "platform/js/js_support.h"

namespace {

using js_test::makeContext;

TEST(JSValueTest, PropertyReadsNeverThrowIntoTheCaller) {
  auto context = makeContext();
  auto trap = context->evaluateScript("({ get name() { throw new Error('no'); } })");
  ASSERT_TRUE(trap.has_value());
  EXPECT_TRUE(trap->property("name").isUndefined());
  EXPECT_TRUE(context->makeString("text").property("length").isUndefined());  // not an object
  auto unprintable = context->evaluateScript("({ toString() { throw 1; } })");
  EXPECT_FALSE(unprintable->toString().has_value());
}

TEST(JSValueTest, ValuesKeepTheirContextAlive) {
  std::optional<platform::JSValue> value;
  {
    auto context = makeContext();
    value = context->evaluateScript("({ kept: 'yes' })");
  }
  EXPECT_EQ(value->property("kept").toString(), "yes");
}

TEST(ToInt32Test, FollowsTheLanguageConversion) {
  EXPECT_EQ(platform::toInt32(3.9), 3);
  EXPECT_EQ(platform::toInt32(-3.9), -3);
  EXPECT_EQ(platform::toInt32(4294967296.0 + 5), 5);
  EXPECT_EQ(platform::toInt32(2147483648.0), -2147483648);
  EXPECT_EQ(platform::toInt32(-2147483649.0), 2147483647);
  EXPECT_EQ(platform::toInt32(std::numeric_limits<double>::quiet_NaN()), 0);
  EXPECT_EQ(platform::toInt32(-std::numeric_limits<double>::infinity()), 0);
  EXPECT_EQ(platform::toInt32(1e300), 0);
}

}  // namespace
