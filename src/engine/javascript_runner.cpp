#include "engine/javascript_runner.h"

namespace engine {

std::optional<std::string> runJavaScript(const std::string& code, const std::string& text,
                                         const std::optional<std::string>& sourceApp, JavaScriptLogHandler logHandler,
                                         JavaScriptTimeLimit timeLimit) {
  auto context = makeForTransforms(std::move(logHandler), timeLimit);
  evaluate(*context, "var $ = {};\n\n$.log = console.log;");

  auto dollar = context->globalObject().property("$");
  dollar.setProperty("text", context->makeString(text));
  if (sourceApp) dollar.setProperty("sourceApp", context->makeString(*sourceApp));

  return evaluateStringResult(*context, "(() => {" + code + "\n})()");
}

}  // namespace engine
