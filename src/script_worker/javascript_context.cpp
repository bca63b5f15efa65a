#include "script_worker/javascript_context.h"

#include "engine/javascript_error.h"
#include "kit/foundation/general_error.h"

namespace engine {

namespace {

constexpr const char* prelude =
    "Error.prototype.isError = () => true;\n"
    "\n"
    "const console = {};\n"
    "\n"
    "console.log = (...messages) => {\n"
    "\tzv__consoleLog(messages.join(' '))\n"
    "};";

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

JavaScriptError javaScriptError(const platform::JSValue& exception, const WrappedCode* code) {
  if (!exception.isObject()) return JavaScriptError("NonError", "Unknown error.", "", 0, 0);
  const auto position = code ? code->positionOf(exception) : std::nullopt;
  return JavaScriptError(
      stringProperty(exception, "name").value_or("Error"),
      stringProperty(exception, "message").value_or("Unknown error."), stringProperty(exception, "stack").value_or(""),
      position ? position->line : numberProperty(exception, "line"),
      position ? position->column : numberProperty(exception, "column"), stringProperty(exception, "cause"));
}

std::shared_ptr<platform::JSContext> makeForTransforms(std::shared_ptr<platform::JSVirtualMachine> machine,
                                                       JavaScriptLogHandler logHandler) {
  auto context = platform::JSContext::create(std::move(machine));
  if (!context) throw kit::GeneralError("Failed to initialize JavaScript engine.");

  context->evaluateScript(prelude);
  context->setFunction("zv__consoleLog", [logHandler = std::move(logHandler)](const auto& arguments) {
    std::string line = arguments.empty() ? "undefined" : arguments.front().toString().value_or("");
    if (logHandler) logHandler(line);
  });
  return context;
}

namespace {

platform::JSValue evaluate(platform::JSContext& context, std::string_view script, const WrappedCode* code) {
  auto result = context.evaluateScript(script, code ? WrappedCode::sourceUrl : std::string_view());
  const auto& machine = context.virtualMachine();
  if (machine.didExceedTimeLimit()) {
    throw kit::GeneralError(scriptTimeLimitDescription(machine.executionTimeLimit().value_or(JavaScriptTimeLimit{})));
  }
  if (auto exception = context.exception()) {
    auto error = javaScriptError(*exception, code);
    // Reading the thrown object can run its getters, which the time limit may stop as well.
    if (machine.didExceedTimeLimit()) {
      throw kit::GeneralError(scriptTimeLimitDescription(*machine.executionTimeLimit()));
    }
    throw error;
  }
  if (!result) throw kit::GeneralError("Failed to evaluate JavaScript code.");
  return *result;
}

}  // namespace

platform::JSValue evaluate(platform::JSContext& context, const std::string& script) {
  return evaluate(context, script, nullptr);
}

namespace {

// Undefined or null give nothing, a string gives itself, anything else is refused.
std::optional<std::string> stringResult(const platform::JSValue& value) {
  if (value.isUndefined() || value.isNull()) return std::nullopt;
  if (value.isString()) {
    if (auto text = value.toString()) return text;
  }
  throw kit::GeneralError("Return value must be a string.");
}

}  // namespace

std::optional<std::string> evaluateStringResult(platform::JSContext& context, const std::string& script) {
  return stringResult(evaluate(context, script, nullptr));
}

std::optional<std::string> evaluateStringResult(platform::JSContext& context, const WrappedCode& code) {
  return stringResult(evaluate(context, code.script(), &code));
}

}  // namespace engine
