// For test programs that read and write preferences files: a private home (with its config, data and cache
// folders) for the whole program, and no X server, so that nothing touches the files, keys or clipboard of
// whoever runs the tests.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

class PrivateHome : public ::testing::Environment {
 public:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillet-tests-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    path_ = pattern;
    setenv("XDG_CONFIG_HOME", path_.c_str(), 1);
    setenv("XDG_DATA_HOME", (path_ / "data").c_str(), 1);
    setenv("XDG_CACHE_HOME", (path_ / "cache").c_str(), 1);
    setenv("HOME", path_.c_str(), 1);
    unsetenv("DISPLAY");
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }

 private:
  std::filesystem::path path_;
};

[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment(new PrivateHome);

}  // namespace
