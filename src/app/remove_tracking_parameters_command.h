#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace app {

inline constexpr const char* removeTrackingParametersCommandName = "remove-tracking-parameters";

// `quillet remove-tracking-parameters URL...`: prints each cleaned URL on its own line, in order. An argument
// that is not a URL is printed unchanged on its line and named on `err`. Returns the exit status: 0; 1 when an
// argument was not a URL; 2 when none was given.
int runRemoveTrackingParametersCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace app
