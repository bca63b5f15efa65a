// For widget test programs: a private config home (the standard preferences suite is written) and one
// QApplication named like the program, on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <memory>

#include "support/temporary_config_home.h"

namespace {

class GuiTestEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    home_ = std::make_unique<TemporaryConfigHome>();
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    unsetenv("DISPLAY");
    static int argc = 1;
    static char name[] = "quillet-tests";
    static char* argv[] = {name, nullptr};
    static auto* application = new QApplication(argc, argv);
    QApplication::setApplicationName("Quillet");
    (void)application;
  }
  void TearDown() override { home_.reset(); }

 private:
  std::unique_ptr<TemporaryConfigHome> home_;
};

[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment(new GuiTestEnvironment);

}  // namespace
