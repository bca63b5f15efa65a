#include "platform/process/detached_process.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

using namespace platform;

namespace {

std::string contentOf(const std::filesystem::path& path) {
  std::ifstream file(path);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

TEST(DetachedProcessTest, StartsTheProgramWithNothingToReadOrSaysWhyNot) {
  const auto file = std::filesystem::temp_directory_path() / ("detached-" + std::to_string(::getpid()));
  // cat ends at once on an empty input; it would wait on an inherited terminal or pipe.
  EXPECT_EQ(startDetached("/bin/sh", {"-c", "cat > \"$1.part\"; echo ended >> \"$1.part\"; mv \"$1.part\" \"$1\"", "sh",
                                      file.string()}),
            std::nullopt);
  for (int i = 0; i < 10'000 && !std::filesystem::exists(file); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(contentOf(file), "ended\n");
  std::filesystem::remove(file);

  auto failure = startDetached("/nonexistent/program", {}, DetachedOutput::discarded);
  ASSERT_TRUE(failure);
  EXPECT_FALSE(failure->empty());
}

}  // namespace
