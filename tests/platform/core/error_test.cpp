#include "platform/core/error.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

TEST(Error, DescriptionComesFromTheUserInfoThenFallsBackToDomainAndCode) {
  platform::PlatformError described("Domain", 7, {{platform::userinfo::localizedDescription, std::string("Broken.")}});
  EXPECT_EQ(described.localizedDescription(), "Broken.");
  EXPECT_STREQ(described.what(), "Broken.");

  platform::PlatformError bare("Domain", 7);
  EXPECT_EQ(bare.localizedDescription(), "The operation couldn’t be completed. (Domain error 7.)");
}

TEST(Error, PosixErrorsCarryTheirNumberAndContext) {
  auto error = platform::PlatformError::posix(ENOENT, "open settings");
  EXPECT_EQ(error.domain(), "NSPOSIXErrorDomain");
  EXPECT_EQ(error.code(), ENOENT);
  EXPECT_EQ(error.localizedDescription(), "open settings: No such file or directory");
  EXPECT_TRUE(error.isPlatformError());
}

TEST(Error, CancellationIsRecognisedThroughAnExceptionPointer) {
  EXPECT_TRUE(platform::isCancellationError(std::make_exception_ptr(platform::CancellationError())));
  EXPECT_FALSE(platform::isCancellationError(std::make_exception_ptr(platform::PlatformError("D", 1))));
  EXPECT_FALSE(platform::isCancellationError(nullptr));
}

}  // namespace
