#include "engine/script_step.h"

#include <utility>

#include "engine/javascript_worker.h"

namespace engine {

std::optional<std::string> ScriptStep::run(const std::string& text, const JavaScriptLogHandler& logHandler,
                                           JavaScriptTimeLimit timeLimit) const {
  return runJavaScript(code, text, sourceApp, logHandler, timeLimit, consoleLinesPrinted);
}

std::string ScriptStep::transformTextWithJavaScript(std::string text,
                                                    std::optional<kit::PlatformError>& failure) const {
  try {
    if (auto result = run(text)) return std::move(*result);
  } catch (const kit::Error& error) {
    failure = kit::asNSError(error);
  }
  return text;
}

}  // namespace engine
