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
// `$.log` / `console.log`, whose lines go to `logHandler` and, unless `printed` says no, to standard output
// ("JSContext - console.log: "), within the bounds javascript_run.h sets for one run.
// It runs in the script worker (see JavaScriptWorker), held to `timeLimit` and to scriptMemoryLimit.
// Throws JavaScriptError (javascript_error.h) when the script threw; kit::GeneralError "Return value must be a
// string." when it returned anything else than a string, undefined or null; and kit::GeneralError with the
// time-limit, memory-limit or result-size description when the script went past one of them.
std::optional<std::string> runJavaScript(const std::string& code, const std::string& text,
                                         const std::optional<std::string>& sourceApp,
                                         const JavaScriptLogHandler& logHandler = {},
                                         JavaScriptTimeLimit timeLimit = clearingPassScriptTimeLimit,
                                         ConsoleLinesPrinted printed = ConsoleLinesPrinted::yes);

// The file name of the script worker, installed beside the program.
inline constexpr const char* javaScriptWorkerExecutableName = "quillet-script-worker";

class ConsoleLines;

// Runs user scripts in a helper process, the script worker, so that a script that runs away with memory or
// time is stopped without harm to the program. The worker is started on first use and kept: a run costs a
// message each way and a fresh global context in the worker's engine. Every wait on the worker has a deadline
// tied to the run's time limit: a new worker must say it is ready within the limit and a short grace, and a
// running one must answer within the limit and a shorter grace (for the stops the engine's own limit cannot
// make). The worker is killed and replaced when it misses a deadline, breaks the protocol (a message it may not
// send, or larger than largestWorkerMessage), holds more than scriptMemoryLimit, or dies; it is replaced after a
// run that left it holding much memory. The log names the reason. Runs from several threads take turns.
class JavaScriptWorker {
 public:
  // The worker beside this program's executable.
  static JavaScriptWorker& shared();

  explicit JavaScriptWorker(std::filesystem::path executable);

  // As runJavaScript(). Throws kit::GeneralError "Failed to initialize JavaScript engine." when the worker
  // cannot be started, and "Failed to evaluate JavaScript code." when it died while running the script.
  std::optional<std::string> run(const std::string& code, const std::string& text,
                                 const std::optional<std::string>& sourceApp, const JavaScriptLogHandler& logHandler,
                                 JavaScriptTimeLimit timeLimit, ConsoleLinesPrinted printed = ConsoleLinesPrinted::yes);

 private:
  using Clock = platform::WorkerProcess::Clock;

  // A worker that said it is ready, started when there is none; false (the reason logged) when none could be had.
  bool readyWorker(Clock::duration timeLimit);
  std::optional<std::string> exchange(const std::string& request, JavaScriptTimeLimit timeLimit,
                                      Clock::time_point deadline, ConsoleLines& console);
  // A message that has no place in the exchange, or is malformed: stops the worker and throws.
  [[noreturn]] void outOfStep(char kind);
  // Logs why, kills the current worker and lets it end.
  void stopWorker(const std::string& reason);
  void logWorkerTrouble(const std::string& what);
  // The current worker is told to end (if it was not killed) and left to finish in its own time.
  void letEnd();
  // Forgets the workers that have ended and kills those that take too long to.
  void endLingeringWorkers();

  std::mutex mutex_;
  std::filesystem::path executable_;
  std::unique_ptr<platform::WorkerProcess> process_;
  // Workers told to end or killed, until they are gone: one with a large heap takes a while, and no run
  // waits for that. Each is reaped as soon as it ends.
  struct EndingWorker {
    std::unique_ptr<platform::WorkerProcess> process;
    Clock::time_point killAt;
  };
  std::vector<EndingWorker> ending_;
};

}  // namespace engine
