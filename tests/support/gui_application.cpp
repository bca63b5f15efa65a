// For widget test programs: a private config home (the standard preferences suite is written) and one
// QApplication named like the program, on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <string>

// Font discovery keeps its caches for the life of the process. (The suppression lists themselves belong to the
// script engine's layer, so these widget tests add theirs as files; `make test` passes Qt's thread suppressions.)
extern "C" const char* __lsan_default_options() { return "suppressions=" QUILLET_TEST_DATA "/fontconfig_leaks.supp"; }

namespace {

class GuiTestEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillet-ui-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    path_ = pattern;
    setenv("XDG_CONFIG_HOME", path_.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    unsetenv("DISPLAY");
    static int argc = 1;
    static char name[] = "quillet-tests";
    static char* argv[] = {name, nullptr};
    static auto* application = new QApplication(argc, argv);
    QApplication::setApplicationName("Quillet");
    (void)application;
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }

 private:
  std::filesystem::path path_;
};

[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment(new GuiTestEnvironment);

}  // namespace
