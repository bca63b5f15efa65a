#include "kit/foundation/async_sequences.h"

namespace kit::detail {

void reportUnexpectedStreamError(const std::exception_ptr& error, std::source_location location) {
  std::string description;
  try {
    std::rethrow_exception(error);
  } catch (const platform::Error& known) {
    description = known.localizedDescription();
  } catch (const std::exception& other) {
    description = other.what();
  } catch (...) {
    description = "unknown error";
  }
  ZvApp::reportError(GeneralError("Async stream should not throw: " + description), {}, location);
}

}  // namespace kit::detail
