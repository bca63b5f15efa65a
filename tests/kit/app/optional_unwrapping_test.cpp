#include "kit/app/optional_unwrapping.h"

#include <gtest/gtest.h>

#include <memory>

#include "kit/foundation/general_error.h"

namespace kit {
namespace {

TEST(OptionalUnwrappingTest, AValueComesOutWithoutMakingTheErrorAndNoneThrowsTheErrorAsMade) {
  int made = 0;
  auto makeError = [&] {
    ++made;
    return GeneralError("No value");
  };
  EXPECT_EQ(*unwrapOrThrow(std::optional(std::make_unique<int>(7)), makeError), 7) << "move-only values too";
  EXPECT_EQ(made, 0);

  try {
    unwrapOrThrow(std::optional<int>(), makeError);
    FAIL() << "nothing thrown";
  } catch (const GeneralError& error) {
    EXPECT_EQ(error.localizedDescription(), "No value");
  }
  EXPECT_EQ(made, 1);
}

}  // namespace
}  // namespace kit
