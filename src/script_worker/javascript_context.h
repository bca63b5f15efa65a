#pragma once

#include <memory>
#include <optional>
#include <string>

#include "engine/javascript_error.h"
#include "engine/javascript_run.h"
#include "platform/js/js_context.h"
#include "script_worker/wrapped_code.h"

namespace engine {

// The thrown value as an error: an object gives its "name", "message", "stack", "line", "column" and "cause";
// anything else is a "NonError" with the defaults. When the value was raised while `code` ran, its line and column
// are its place in the code as the user wrote it, where the engine says.
JavaScriptError javaScriptError(const platform::JSValue& exception, const WrappedCode* code = nullptr);

// A fresh global context on `machine` with the console installed: its lines go to `logHandler`.
// Throws kit::GeneralError "Failed to initialize JavaScript engine.".
std::shared_ptr<platform::JSContext> makeForTransforms(std::shared_ptr<platform::JSVirtualMachine> machine,
                                                       JavaScriptLogHandler logHandler = {});

// The completion value of `script`. Throws JavaScriptError when it threw, kit::GeneralError with the time-limit
// description when it ran too long, and kit::GeneralError "Failed to evaluate JavaScript code." when no value
// came back.
platform::JSValue evaluate(platform::JSContext& context, const std::string& script);

// Evaluates `script` as evaluate() does, then: undefined or null give nothing, a string gives itself, anything else
// throws kit::GeneralError "Return value must be a string.".
std::optional<std::string> evaluateStringResult(platform::JSContext& context, const std::string& script);
// The same for the user's code; the line and column of an error are its place in the code.
std::optional<std::string> evaluateStringResult(platform::JSContext& context, const WrappedCode& code);

}  // namespace engine
