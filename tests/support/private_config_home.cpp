// For test programs that read and write preferences files: a private config home for the whole program, and
// no X server, so that nothing grabs keys or touches the clipboard of whoever runs the tests.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

class PrivateConfigHome : public ::testing::Environment {
 public:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillet-tests-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    path_ = pattern;
    setenv("XDG_CONFIG_HOME", path_.c_str(), 1);
    unsetenv("DISPLAY");
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }

 private:
  std::filesystem::path path_;
};

[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment(new PrivateConfigHome);

}  // namespace
