#include "platform/core/continuation.h"

#include "platform/core/runtime_log.h"

namespace platform::detail {

void logContinuationMisuse(const std::string& name, bool resumedTwice) {
  if (resumedTwice)
    logRuntimeIssue("continuation '" + name + "' resumed more than once; the extra resume is ignored");
  else
    logRuntimeIssue("continuation '" + name + "' dropped without being resumed; its task never continues");
}

}  // namespace platform::detail
