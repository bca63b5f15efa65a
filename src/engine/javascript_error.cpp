#include "engine/javascript_error.h"

namespace engine {

namespace {

std::optional<std::string> stringProperty(const platform::JSValue& object, const char* name) {
  auto value = object.property(name);
  if (!value.isString()) return std::nullopt;
  return value.toString();
}

int numberProperty(const platform::JSValue& object, const char* name) {
  auto value = object.property(name);
  return value.isNumber() ? value.toInt32() : 0;
}

}  // namespace

JavaScriptError::JavaScriptError(const platform::JSValue& exception) {
  if (!exception.isObject()) {
    name_ = "NonError";
    message_ = "Unknown error.";
    return;
  }
  name_ = stringProperty(exception, "name").value_or("Error");
  message_ = stringProperty(exception, "message").value_or("Unknown error.");
  stack_ = stringProperty(exception, "stack").value_or("");
  line_ = numberProperty(exception, "line");
  column_ = numberProperty(exception, "column");
  causeMessage_ = stringProperty(exception, "cause");
}

JavaScriptError::JavaScriptError(std::string name, std::string message, std::string stack, int line, int column,
                                 std::optional<std::string> causeMessage)
    : name_(std::move(name)),
      message_(std::move(message)),
      stack_(std::move(stack)),
      line_(line),
      column_(column),
      causeMessage_(std::move(causeMessage)) {}

}  // namespace engine
