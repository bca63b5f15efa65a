#include "kit/foundation/fatal_error.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace kit {

void fatalError(std::string_view reason, std::string_view function, std::string_view file, int line) {
  std::fprintf(stderr, "Fatal error: %.*s: %.*s [%.*s:%d]\n", static_cast<int>(function.size()), function.data(),
               static_cast<int>(reason.size()), reason.data(), static_cast<int>(file.size()), file.data(), line);
  std::fflush(stderr);
  std::abort();
}

void fatalError(std::string_view reason, std::source_location location) {
  fatalError(reason, location.function_name(), location.file_name(), static_cast<int>(location.line()));
}

}  // namespace kit
