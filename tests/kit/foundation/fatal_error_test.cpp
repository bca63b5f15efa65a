#include "kit/foundation/fatal_error.h"

#include <gtest/gtest.h>

namespace kit {
namespace {

TEST(FatalErrorDeathTest, StopsWithTheCallersFunctionAndTheReason) {
  EXPECT_EQ(FatalReason::mustNotBeCalled().description(), "Should never be called.");
  EXPECT_DEATH(fatalError(FatalReason::notYetImplemented(), "load()", "loader.cpp", 12),
               "Fatal error: load\\(\\): Not yet implemented\\. \\[loader\\.cpp:12\\]");
}

}  // namespace
}  // namespace kit
