#include "platform/core/file_reading.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/core/error.h"

using namespace platform;

namespace {

TEST(FileReadingTest, ReadsWholeFilesTellsAbsenceAndFailureApart) {
  const auto folder = std::filesystem::temp_directory_path() / ("file-reading-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const std::string content(200'000, 'q');  // more than one piece
  std::ofstream(folder / "file", std::ios::binary) << content;

  EXPECT_EQ(readWholeFile(folder / "file"), content);
  EXPECT_EQ(readWholeFile(folder / "missing"), std::nullopt);
  EXPECT_THROW(readWholeFile(folder), PlatformError);  // a folder is there but cannot be read
  EXPECT_EQ(readWholeFileIfReadable(folder), std::nullopt);
  // Kernel files report no size; their content comes all the same.
  EXPECT_NE(readWholeFileIfReadable("/proc/self/status").value_or("").find("VmRSS"), std::string::npos);
  std::filesystem::remove_all(folder);
}

}  // namespace
