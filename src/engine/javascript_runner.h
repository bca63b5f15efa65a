#pragma once

#include <optional>
#include <string>

#include "engine/javascript_context.h"

namespace engine {

// Runs the user's function body `code` on `text` in a fresh engine and gives the text it returned, or nothing
// when it returned undefined or null. The script sees `$.text`, `$.sourceApp` (left undefined when
// `sourceApp` is none), and `$.log` / `console.log`, which go to `logHandler` and to standard output.
// Throws what evaluateStringResult() throws.
std::optional<std::string> runJavaScript(const std::string& code, const std::string& text,
                                         const std::optional<std::string>& sourceApp,
                                         JavaScriptLogHandler logHandler = {},
                                         JavaScriptTimeLimit timeLimit = clearingPassScriptTimeLimit);

}  // namespace engine
