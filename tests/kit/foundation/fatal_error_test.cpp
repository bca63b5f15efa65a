#include "kit/foundation/fatal_error.h"

#include <gtest/gtest.h>

namespace kit {
namespace {

struct Archive {
  [[noreturn]] static void load(int /*version*/) { fatalError(FatalReason::notYetImplemented()); }
};

TEST(FatalErrorDeathTest, StopsWithTheCallersFunctionAndTheReason) {
  EXPECT_EQ(FatalReason::mustNotBeCalled().description(), "Should never be called.");
  EXPECT_DEATH(fatalError(FatalReason::notYetImplemented(), "load()", "loader.cpp", 12),
               "Fatal error: load\\(\\): Not yet implemented\\. \\[loader\\.cpp:12\\]");
  // Called without a location, it names its caller as the log does: no return type, namespace or parameter types.
  EXPECT_DEATH(Archive::load(2),
               "Fatal error: load\\(\\): Not yet implemented\\. \\[.*fatal_error_test\\.cpp:[0-9]+\\]");
}

}  // namespace
}  // namespace kit
