// For widget test programs: a private home (the standard preferences suite is written) and one QApplication
// named like the program, on the offscreen platform.
#include "support/config_home_environment.h"
#include "support/offscreen_application.h"

namespace {

class GuiTestEnvironment : public ConfigHomeEnvironment {
 public:
  void SetUp() override {
    ConfigHomeEnvironment::SetUp();
    ensureOffscreenApplication();
  }
};

[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment(new GuiTestEnvironment);

}  // namespace
