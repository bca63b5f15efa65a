#include "platform/core/own_executable.h"

#include <gtest/gtest.h>

namespace {

TEST(OwnExecutableTest, NamesThisTestProgramsFileByItsFullPath) {
  const auto program = platform::ownExecutable();
  EXPECT_TRUE(program.is_absolute()) << program;
  EXPECT_EQ(program.filename(), "test_platform_core_own_executable_test");
  EXPECT_TRUE(std::filesystem::is_regular_file(program)) << program;
}

}  // namespace
