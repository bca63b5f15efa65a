#include "engine/javascript_error.h"

#include "kit/foundation/textual_description.h"

namespace engine {

JavaScriptError::JavaScriptError(std::string name, std::string message, std::string stack, int line, int column,
                                 std::optional<std::string> causeMessage)
    : name_(std::move(name)),
      message_(std::move(message)),
      stack_(std::move(stack)),
      line_(line),
      column_(column),
      causeMessage_(std::move(causeMessage)) {}

std::string JavaScriptError::debugFields() const {
  return "name: " + kit::reflecting(name_) + ", stack: " + kit::reflecting(stack_) +
         ", line: " + kit::reflecting(line_) + ", column: " + kit::reflecting(column_) +
         ", causeMessage: " + kit::reflecting(causeMessage_);
}

}  // namespace engine
