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
  int status = 0;
  RemoveTrackingParametersIntent intent;
  for (const auto& argument : arguments) {
    const auto url = platform::Url::parseStrict(argument);
    if (!url || !url->scheme()) {
      err << "quillet: \"" << argument << "\" is not a URL (a URL has a scheme such as \"https:\" and no spaces)\n";
      status = 2;
      continue;
    }
    intent.url.push_back(*url);
  }
  for (const auto& url : intent.perform()) out << url.absoluteString() << '\n';
  out.flush();
  return status;
}

}  // namespace app
