#include "engine/javascript_error.h"

namespace engine {

JavaScriptError::JavaScriptError(std::string name, std::string message, std::string stack, int line, int column,
                                 std::optional<std::string> causeMessage)
    : name_(std::move(name)),
      message_(std::move(message)),
      stack_(std::move(stack)),
      line_(line),
      column_(column),
      causeMessage_(std::move(causeMessage)) {}

}  // namespace engine
