#include "kit/ui/view_conditionals.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <memory>

namespace kit {
namespace {

TEST(ViewConditionalsTest, AnOptionalLabelIsMadeOnlyForAText) {
  EXPECT_EQ(optionalLabel(std::nullopt), nullptr);
  std::unique_ptr<QLabel> empty(optionalLabel(""));
  ASSERT_NE(empty, nullptr);
  EXPECT_TRUE(empty->text().isEmpty());
}

}  // namespace
}  // namespace kit
