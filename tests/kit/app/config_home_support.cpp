// Every test program here reads and writes preferences files: give them a private config home, and keep them
// off any X server of the machine they run on.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

class PrivateConfigHome : public ::testing::Environment {
 public:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillet-kit-app-XXXXXX").string();
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
