#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/js/js_virtual_machine.h"
#include "script_worker/javascript_context.h"

namespace engine {

// Runs user scripts in this process, the way runJavaScript() (engine/javascript_worker.h) describes, but bounded by the
// time limit only. One virtual machine is kept from run to run and each run gets a fresh global context on it, so
// nothing a script leaves behind (globals, changed prototypes of built-ins) reaches the next run. A machine that had to
// stop a script for its time limit is replaced. Not for several threads at once.
class JavaScriptRunner {
 public:
  JavaScriptRunner() = default;
  JavaScriptRunner(const JavaScriptRunner&) = delete;
  JavaScriptRunner& operator=(const JavaScriptRunner&) = delete;

  // Makes the context the next run will use, with the console and `$` in place, so that the run finds it
  // ready; false when the engine cannot make one (the run then reports why).
  bool prepare();

  std::optional<std::string> run(const std::string& code, const std::string& text,
                                 const std::optional<std::string>& sourceApp, JavaScriptLogHandler logHandler = {},
                                 JavaScriptTimeLimit timeLimit = clearingPassScriptTimeLimit);

 private:
  std::shared_ptr<platform::JSContext> makeContext();

  std::shared_ptr<platform::JSVirtualMachine> machine_;
  std::shared_ptr<platform::JSContext> prepared_;
  // Where the console lines of the running script go.
  JavaScriptLogHandler logHandler_;
};

}  // namespace engine
