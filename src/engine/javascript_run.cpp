#include "engine/javascript_run.h"

#include <charconv>

namespace engine {

std::string scriptTimeLimitDescription(JavaScriptTimeLimit limit) {
  char buffer[32];
  auto end = std::to_chars(buffer, buffer + sizeof buffer, limit.count()).ptr;
  return "Script took longer than " + std::string(buffer, end) + (limit.count() == 1.0 ? " second." : " seconds.");
}

std::string scriptMemoryLimitDescription() {
  return "Script used more than " + std::to_string(scriptMemoryLimit >> 20) + " MB of memory.";
}

}  // namespace engine
