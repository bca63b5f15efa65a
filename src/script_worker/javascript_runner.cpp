#include "script_worker/javascript_runner.h"

#include <utility>

#include "kit/foundation/general_error.h"
#include "platform/core/error.h"

namespace engine {

bool JavaScriptRunner::prepare() {
  if (prepared_ && !machine_->didExceedTimeLimit()) return true;
  try {
    prepared_ = makeContext();
  } catch (const platform::Error&) {
    prepared_.reset();
  }
  return prepared_ != nullptr;
}

std::shared_ptr<platform::JSContext> JavaScriptRunner::makeContext() {
  if (machine_ && machine_->didExceedTimeLimit()) machine_.reset();
  if (!machine_) machine_ = platform::JSVirtualMachine::create();
  if (!machine_) throw kit::GeneralError("Failed to initialize JavaScript engine.");
  auto context = makeForTransforms(machine_, [this](const std::string& line) {
    if (logHandler_) logHandler_(line);
  });
  evaluate(*context, "var $ = {};\n\n$.log = console.log;");
  return context;
}

std::optional<std::string> JavaScriptRunner::run(const std::string& code, const std::string& text,
                                                 const std::optional<std::string>& sourceApp,
                                                 JavaScriptLogHandler logHandler, JavaScriptTimeLimit timeLimit) {
  auto context = prepare() ? std::exchange(prepared_, nullptr) : makeContext();
  machine_->setExecutionTimeLimit(timeLimit);
  logHandler_ = std::move(logHandler);
  struct ForgetLogHandler {
    JavaScriptLogHandler& handler;
    ~ForgetLogHandler() { handler = nullptr; }
  } forget{logHandler_};

  auto dollar = context->globalObject().property("$");
  dollar.setProperty("text", context->makeString(text));
  if (sourceApp) dollar.setProperty("sourceApp", context->makeString(*sourceApp));

  return evaluateStringResult(*context, WrappedCode(code));
}

}  // namespace engine
