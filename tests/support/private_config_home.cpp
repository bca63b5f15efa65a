// For test programs that read and write preferences files (support/config_home_environment.h).
#include "support/config_home_environment.h"

namespace {

[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment(new ConfigHomeEnvironment);

}  // namespace
