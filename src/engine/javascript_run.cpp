#include "engine/javascript_run.h"

#include <charconv>

#include "platform/core/decimal_text.h"

namespace engine {

std::string scriptTimeLimitDescription(JavaScriptTimeLimit limit) {
  char buffer[32];
  auto end = std::to_chars(buffer, buffer + sizeof buffer, limit.count()).ptr;
  return "Script took longer than " + std::string(buffer, end) + (limit.count() == 1.0 ? " second." : " seconds.");
}

std::string scriptResultTooLargeDescription(size_t size) {
  return "Script returned " + platform::decimalText(static_cast<double>(size) / (1 << 20), 1) +
         " MB of text, more than " + std::to_string(scriptResultLimit >> 20) + " MB.";
}

std::string scriptMemoryLimitDescription() {
  return "Script used more than " + std::to_string(scriptMemoryLimit >> 20) + " MB of memory.";
}

}  // namespace engine
