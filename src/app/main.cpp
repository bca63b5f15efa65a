#include <iostream>
#include <string>
#include <vector>

#include "app/remove_tracking_parameters_command.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  if (!arguments.empty() && arguments.front() == app::removeTrackingParametersCommandName) {
    return app::runRemoveTrackingParametersCommand({arguments.begin() + 1, arguments.end()}, std::cout, std::cerr);
  }
  std::cerr << "Usage: quillet " << app::removeTrackingParametersCommandName << " URL...\n";
  return 2;
}
