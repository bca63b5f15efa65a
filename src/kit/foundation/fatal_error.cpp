#include "kit/foundation/fatal_error.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "kit/foundation/log.h"

namespace kit {

const FatalReason& FatalReason::unreachable() {
  static const FatalReason reason("Should never be reached during execution.");
  return reason;
}

const FatalReason& FatalReason::notYetImplemented() {
  static const FatalReason reason("Not yet implemented.");
  return reason;
}

const FatalReason& FatalReason::mustBeOverridden() {
  static const FatalReason reason("Must be overridden in subtype.");
  return reason;
}

const FatalReason& FatalReason::mustNotBeCalled() {
  static const FatalReason reason("Should never be called.");
  return reason;
}

void fatalError(std::string_view reason, std::string_view function, std::string_view file, int line) {
  std::fprintf(stderr, "Fatal error: %.*s: %.*s [%.*s:%d]\n", static_cast<int>(function.size()), function.data(),
               static_cast<int>(reason.size()), reason.data(), static_cast<int>(file.size()), file.data(), line);
  std::fflush(stderr);
  std::abort();
}

void fatalError(std::string_view reason, std::source_location location) {
  fatalError(reason, plainFunctionName(location.function_name()), location.file_name(),
             static_cast<int>(location.line()));
}

}  // namespace kit
