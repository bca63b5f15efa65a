#include "kit/foundation/report_error.h"

#include <cstdio>
#include <string>

namespace kit {

// A first, minimal destination: the failure goes to standard error with its location.
void ZvApp::reportError(const platform::Error& error, platform::UserInfo, std::source_location location) {
  std::string text = error.localizedDescription();
  std::fprintf(stderr, "Reported error: %s [%s:%u]\n", text.c_str(), location.file_name(),
               static_cast<unsigned>(location.line()));
}

void ZvApp::reportError(const std::exception_ptr& error, platform::UserInfo userInfo, std::source_location location) {
  if (!error || platform::isCancellationError(error)) return;
  try {
    std::rethrow_exception(error);
  } catch (const platform::Error& known) {
    reportError(known, std::move(userInfo), location);
  } catch (const std::exception& other) {
    std::fprintf(stderr, "Reported error: %s [%s:%u]\n", other.what(), location.file_name(),
                 static_cast<unsigned>(location.line()));
  } catch (...) {
    std::fprintf(stderr, "Reported error: unknown [%s:%u]\n", location.file_name(), static_cast<unsigned>(location.line()));
  }
}

}  // namespace kit
