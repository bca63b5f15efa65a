#include "engine/javascript_context.h"

#include <charconv>

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

}  // namespace

std::string scriptTimeLimitDescription(JavaScriptTimeLimit limit) {
  char buffer[32];
  auto end = std::to_chars(buffer, buffer + sizeof buffer, limit.count()).ptr;
  return "Script took longer than " + std::string(buffer, end) + (limit.count() == 1.0 ? " second." : " seconds.");
}

std::string scriptMemoryLimitDescription() {
  return "Script used more than " + std::to_string(scriptMemoryLimit >> 20) + " MB of memory.";
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

platform::JSValue evaluate(platform::JSContext& context, const std::string& script) {
  auto result = context.evaluateScript(script);
  const auto& machine = context.virtualMachine();
  if (machine.didExceedTimeLimit()) {
    throw kit::GeneralError(scriptTimeLimitDescription(machine.executionTimeLimit().value_or(JavaScriptTimeLimit{})));
  }
  if (auto exception = context.exception()) {
    JavaScriptError error(*exception);
    // Reading the thrown object can run its getters, which the time limit may stop as well.
    if (machine.didExceedTimeLimit()) {
      throw kit::GeneralError(scriptTimeLimitDescription(*machine.executionTimeLimit()));
    }
    throw error;
  }
  if (!result) throw kit::GeneralError("Failed to evaluate JavaScript code.");
  return *result;
}

std::optional<std::string> evaluateStringResult(platform::JSContext& context, const std::string& script) {
  auto value = evaluate(context, script);
  if (value.isUndefined() || value.isNull()) return std::nullopt;
  if (value.isString()) {
    if (auto text = value.toString()) return text;
  }
  throw kit::GeneralError("Return value must be a string.");
}

}  // namespace engine
