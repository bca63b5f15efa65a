#pragma once

#include <optional>
#include <string>

#include "engine/javascript_run.h"
#include "kit/foundation/general_error.h"

namespace engine {

// The user's script as a pass runs it, with what it sees: the code, the source application (`$.sourceApp`, left
// undefined for none) and whether its console lines may be printed. Made on the main thread, when a pass begins or a
// script is run; runs on any thread.
struct ScriptStep {
  std::string code;
  std::optional<std::string> sourceApp;
  ConsoleLinesPrinted consoleLinesPrinted = ConsoleLinesPrinted::yes;

  // Runs the code on `text` in the script worker: the text the script returned, or nothing for undefined or null.
  // Throws what runJavaScript() (javascript_worker.h) throws.
  std::optional<std::string> run(const std::string& text, const JavaScriptLogHandler& logHandler = {},
                                 JavaScriptTimeLimit timeLimit = clearingPassScriptTimeLimit) const;
  // The last step on plain text: the text the script returned, else `text` as it is. When the script fails, `text`
  // as it is, and the error (its domain, code and texts) in `failure`.
  std::string transformTextWithJavaScript(std::string text, std::optional<kit::PlatformError>& failure) const;
};

}  // namespace engine
