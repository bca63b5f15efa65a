#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/js/js_context.h"

namespace engine {

// Receives each console.log line of a script.
using JavaScriptLogHandler = std::function<void(const std::string& line)>;

// How long one evaluation of a user script may run before it is stopped.
using JavaScriptTimeLimit = std::chrono::duration<double>;
inline constexpr JavaScriptTimeLimit clearingPassScriptTimeLimit{1.0};
inline constexpr JavaScriptTimeLimit scriptEditorTimeLimit{5.0};

// "Script took longer than 1 second.", "... 5 seconds."
std::string scriptTimeLimitDescription(JavaScriptTimeLimit limit);

// How much memory a user script may hold, everything the engine keeps for it included.
inline constexpr size_t scriptMemoryLimit = size_t{256} << 20;
// "Script used more than 256 MB of memory."
std::string scriptMemoryLimitDescription();

// A fresh global context on `machine` with the console installed: its lines go to `logHandler`.
// Throws kit::GeneralError "Failed to initialize JavaScript engine.".
std::shared_ptr<platform::JSContext> makeForTransforms(std::shared_ptr<platform::JSVirtualMachine> machine,
                                                       JavaScriptLogHandler logHandler = {});

// The completion value of `script`. Throws JavaScriptError when it threw, kit::GeneralError with the time-limit
// description when it ran too long, and kit::GeneralError "Failed to evaluate JavaScript code." when no value
// came back.
platform::JSValue evaluate(platform::JSContext& context, const std::string& script);

// As evaluate(), then: undefined or null give nothing, a string gives itself, anything else throws
// kit::GeneralError "Return value must be a string.".
std::optional<std::string> evaluateStringResult(platform::JSContext& context, const std::string& script);

}  // namespace engine
