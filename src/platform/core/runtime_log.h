#pragma once

#include <string_view>

namespace platform {

// Reports a misuse of the runtime (a continuation resumed twice, work posted with no loop) on standard error.
// The runtime sits below the logging facility, so it cannot use it.
void logRuntimeIssue(std::string_view message);

}  // namespace platform
