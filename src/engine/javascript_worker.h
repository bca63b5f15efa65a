#pragma once

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "engine/javascript_run.h"
#include "platform/process/worker_process.h"

namespace engine {

// Runs the user's function body `code` on `text` and gives the text it returned, or nothing when it returned
// undefined or null. The script sees `$.text`, `$.sourceApp` (left undefined when `sourceApp` is none), and
// `$.log` / `console.log`, whose lines go to `logHandler` and to standard output ("JSContext - console.log: ").
// It runs in the script worker (see JavaScriptWorker), held to `timeLimit` and to scriptMemoryLimit.
// Throws JavaScriptError (javascript_error.h) when the script threw; kit::GeneralError "Return value must be a
// string." when it returned anything else than a string, undefined or null; and kit::GeneralError with the
// time-limit or memory-limit description when the script went past either.
std::optional<std::string> runJavaScript(const std::string& code, const std::string& text,
                                         const std::optional<std::string>& sourceApp,
                                         JavaScriptLogHandler logHandler = {},
                                         JavaScriptTimeLimit timeLimit = clearingPassScriptTimeLimit);

// The file name of the script worker, installed beside the program.
inline constexpr const char* javaScriptWorkerExecutableName = "quillet-script-worker";

// Runs user scripts in a helper process, the script worker, so that a script that runs away with memory or
// time is stopped without harm to the program. The worker is started on first use and kept: a run costs a
// message each way and a fresh global context in the worker's engine. The worker is ended and replaced when
// a script holds more than scriptMemoryLimit, when it does not answer within the time limit (with a short
// grace, for the stops the engine's own limit cannot make), when it dies, and after a run that left it
// holding much memory. Runs from several threads take turns.
class JavaScriptWorker {
 public:
  // The worker beside this program's executable.
  static JavaScriptWorker& shared();

  explicit JavaScriptWorker(std::filesystem::path executable);

  // As runJavaScript(). Throws kit::GeneralError "Failed to initialize JavaScript engine." when the worker
  // cannot be started, and "Failed to evaluate JavaScript code." when it died while running the script.
  std::optional<std::string> run(const std::string& code, const std::string& text,
                                 const std::optional<std::string>& sourceApp, JavaScriptLogHandler logHandler,
                                 JavaScriptTimeLimit timeLimit);

 private:
  bool sendToWorker(const std::string& request);
  // The current worker is told to end (if it was not killed) and left to finish in its own time.
  void letEnd();

  std::mutex mutex_;
  std::filesystem::path executable_;
  std::unique_ptr<platform::WorkerProcess> process_;
  // Workers told to end or killed, until they are gone: one with a large heap takes a while, and no run
  // waits for that.
  std::vector<std::unique_ptr<platform::WorkerProcess>> ending_;
};

}  // namespace engine
