#include "app/remove_tracking_parameters_command.h"

#include <ostream>

#include "app/intents.h"

namespace app {

int runRemoveTrackingParametersCommand(const std::vector<std::string>& arguments, std::ostream& out,
                                       std::ostream& err) {
  if (arguments.empty()) {
    err << "Usage: quillet " << removeTrackingParametersCommandName << " URL...\n";
    return 2;
  }
  const auto result = removeTrackingParametersLineByLine(arguments);
  for (const auto& line : result.lines) out << line << '\n';
  out.flush();
  for (const auto& text : result.notURLs) err << "quillet: " << notAURLMessage(text) << '\n';
  return result.notURLs.empty() ? 0 : 1;
}

}  // namespace app
