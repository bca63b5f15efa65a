#include "platform/core/runtime_log.h"

#include <cstdio>

namespace platform {

void logRuntimeIssue(std::string_view message) {
  std::fprintf(stderr, "Quillet runtime: %.*s\n", static_cast<int>(message.size()), message.data());
}

}  // namespace platform
