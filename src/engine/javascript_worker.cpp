#include "engine/javascript_worker.h"

#include <cstdint>
#include <exception>
#include <system_error>
#include <utility>
#include <variant>

#include "engine/javascript_error.h"
#include "engine/javascript_worker_protocol.h"
#include "kit/foundation/general_error.h"
#include "kit/foundation/log.h"
#include "platform/core/log_sink.h"
#include "platform/core/own_executable.h"

namespace engine {

namespace {

using namespace std::chrono_literals;
using namespace javascriptworker;
using Clock = platform::WorkerProcess::Clock;
using Stop = platform::WorkerProcess::Stop;

// The engine's own limit cannot stop everything (a chain of promise jobs starts its clock afresh with each
// job): past the limit and this grace the worker is killed.
constexpr auto timeLimitGrace = 500ms;
// A new worker has the run's time limit and this long besides to load the engine and say it is ready.
constexpr auto startingGrace = 2s;
// A worker left holding more than this after a run is replaced, so garbage of one run never counts against
// the next.
constexpr size_t memoryKeptBetweenRuns = scriptMemoryLimit / 2;
// A worker told to end that is still there after this long is killed.
constexpr auto endingTimeout = 5s;

// The failure a well-formed failure reply carries; none for a malformed one.
std::exception_ptr failureOf(MessageReader& reply) {
  if (reply.kind() == scriptException) {
    auto name = reply.text();
    auto message = reply.text();
    auto stack = reply.text();
    auto line = reply.number<int32_t>();
    auto column = reply.number<int32_t>();
    auto cause = reply.optionalText();
    if (reply.ok()) return std::make_exception_ptr(JavaScriptError(name, message, stack, line, column, cause));
  } else if (reply.kind() == otherFailure) {
    auto description = reply.text();
    if (reply.ok()) return std::make_exception_ptr(kit::GeneralError(description));
  }
  return nullptr;
}

void printConsoleLine(const std::string& line) {
  platform::printLineToStandardOutput("JSContext - console.log: " + line);
}

}  // namespace

// The console.log lines of one run: the first ones go to the caller's handler and, fewer of them, to standard
// output; what is left over is summed up in one line at the end of the run.
class ConsoleLines {
 public:
  ConsoleLines(const JavaScriptLogHandler& handler, ConsoleLinesPrinted printed)
      : handler_(handler), printed_(printed == ConsoleLinesPrinted::yes) {}

  void add(const std::string& line) {
    if (++count_ > consoleLinesKeptPerRun) return;
    std::string kept = cutText(line, longestConsoleLine);
    if (handler_) handler_(kept);
    if (printed_ && count_ <= consoleLinesPrintedPerRun) printConsoleLine(kept);
  }
  void addOmitted(uint64_t count) { count_ += count; }

  void finish() {
    if (count_ > consoleLinesKeptPerRun && handler_) handler_(moreLines(count_ - consoleLinesKeptPerRun));
    if (count_ > consoleLinesPrintedPerRun && printed_) printConsoleLine(moreLines(count_ - consoleLinesPrintedPerRun));
  }

 private:
  static std::string moreLines(uint64_t count) {
    return "… " + std::to_string(count) + (count == 1 ? " more line" : " more lines");
  }

  const JavaScriptLogHandler& handler_;
  bool printed_;
  uint64_t count_ = 0;
};

namespace {

// "exited with status 1", "was killed by signal 9": the process is reaped a moment after its channel closed.
std::string howItEnded(platform::WorkerProcess& process) {
  if (process.endsBy(Clock::now() + 1s)) return process.endDescription();
  return "closed its channel";
}

std::filesystem::path besideThisProgram(const char* name) { return platform::ownExecutable().parent_path() / name; }

}  // namespace

std::optional<std::string> runJavaScript(const std::string& code, const std::string& text,
                                         const std::optional<std::string>& sourceApp,
                                         const JavaScriptLogHandler& logHandler, JavaScriptTimeLimit timeLimit,
                                         ConsoleLinesPrinted printed) {
  return JavaScriptWorker::shared().run(code, text, sourceApp, logHandler, timeLimit, printed);
}

JavaScriptWorker& JavaScriptWorker::shared() {
  static JavaScriptWorker worker(besideThisProgram(javaScriptWorkerExecutableName));
  return worker;
}

JavaScriptWorker::JavaScriptWorker(std::filesystem::path executable) : executable_(std::move(executable)) {}

std::optional<std::string> JavaScriptWorker::run(const std::string& code, const std::string& text,
                                                 const std::optional<std::string>& sourceApp,
                                                 const JavaScriptLogHandler& logHandler, JavaScriptTimeLimit timeLimit,
                                                 ConsoleLinesPrinted printed) {
  std::lock_guard lock(mutex_);
  endLingeringWorkers();
  const auto limit = std::chrono::duration_cast<Clock::duration>(timeLimit);
  if (!readyWorker(limit)) throw kit::GeneralError("Failed to initialize JavaScript engine.");
  auto request = MessageWriter(runRequest)
                     .addText(code)
                     .addText(text)
                     .addOptionalText(sourceApp)
                     .addNumber(timeLimit.count())
                     .take();
  ConsoleLines console(logHandler, printed);
  try {
    auto result = exchange(request, timeLimit, Clock::now() + limit + timeLimitGrace, console);
    console.finish();
    return result;
  } catch (const kit::Error&) {
    console.finish();
    throw;
  }
}

std::optional<std::string> JavaScriptWorker::exchange(const std::string& request, JavaScriptTimeLimit timeLimit,
                                                      Clock::time_point deadline, ConsoleLines& console) {
  if (!process_->send(request, deadline)) {
    if (Clock::now() >= deadline) {
      stopWorker("did not take the script before its deadline");
    } else {
      logWorkerTrouble("ended before it took the script: it " + howItEnded(*process_));
      letEnd();
    }
    throw kit::GeneralError("Failed to evaluate JavaScript code.");
  }
  for (;;) {
    auto received = process_->receive(deadline, scriptMemoryLimit, largestWorkerMessage);
    if (auto* stop = std::get_if<Stop>(&received)) {
      if (*stop == Stop::ended) logWorkerTrouble("stopped while running a script: it " + howItEnded(*process_));
      if (*stop == Stop::oversized) {
        logWorkerTrouble("announced a message of " + std::to_string(process_->announcedSize()) +
                         " bytes, more than it may send; it was stopped");
      }
      letEnd();
      if (*stop == Stop::pastMemoryLimit) throw kit::GeneralError(scriptMemoryLimitDescription());
      if (*stop == Stop::pastDeadline) throw kit::GeneralError(scriptTimeLimitDescription(timeLimit));
      throw kit::GeneralError("Failed to evaluate JavaScript code.");
    }
    MessageReader reply(std::get<std::string>(received));
    const char kind = reply.kind();
    if (kind == logLine || kind == logLinesOmitted) {
      auto line = kind == logLine ? reply.text() : std::string();
      auto omitted = kind == logLinesOmitted ? reply.number<uint64_t>() : 0;
      if (!reply.ok()) outOfStep(kind);
      try {
        kind == logLine ? console.add(line) : console.addOmitted(omitted);
      } catch (...) {
        // The script is still running, and no one waits for its answer.
        process_->kill();
        letEnd();
        throw;
      }
      continue;
    }
    std::optional<std::string> result;
    if (kind == textResult) result = reply.text();
    std::exception_ptr failure = failureOf(reply);
    if (!reply.ok() || (kind != textResult && kind != noResult && !failure)) outOfStep(kind);
    // Garbage of this run must not count against the next: a worker left holding much is replaced.
    if (process_->residentMemory().value_or(0) > memoryKeptBetweenRuns) letEnd();
    if (failure) std::rethrow_exception(failure);
    if (result && result->size() > scriptResultLimit) {
      throw kit::GeneralError(scriptResultTooLargeDescription(result->size()));
    }
    return result;
  }
}

void JavaScriptWorker::outOfStep(char kind) {
  // This worker is not trusted with another run.
  stopWorker("sent a message out of step with the exchange (of kind " + std::to_string(int{kind}) + ")");
  throw kit::GeneralError("Failed to evaluate JavaScript code.");
}

bool JavaScriptWorker::readyWorker(Clock::duration timeLimit) {
  if (process_ && !process_->isIdle()) letEnd();
  if (process_) return true;
  std::string error;
  process_ = platform::WorkerProcess::start(executable_, &error);
  if (!process_) {
    logWorkerTrouble("could not be started: " + error);
    return false;
  }
  const auto wait = timeLimit + startingGrace;
  auto greeting = process_->receive(Clock::now() + wait, scriptMemoryLimit, largestWorkerMessage);
  if (auto* message = std::get_if<std::string>(&greeting); message && MessageReader(*message).kind() == ready) {
    return true;
  }
  auto* stop = std::get_if<Stop>(&greeting);
  if (!stop) {
    stopWorker("did not start: its first message was not the one that says it is ready");
  } else if (*stop == Stop::pastDeadline) {
    logWorkerTrouble("did not start: it did not say it was ready within " +
                     std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(wait).count()) +
                     " ms; it was stopped");
  } else if (*stop == Stop::ended) {
    logWorkerTrouble("did not start: it " + howItEnded(*process_));
  } else {
    logWorkerTrouble("did not start: it broke the limits of memory or message size; it was stopped");
  }
  letEnd();
  return false;
}

void JavaScriptWorker::stopWorker(const std::string& reason) {
  logWorkerTrouble(reason + "; it was stopped");
  if (process_) process_->kill();
  letEnd();
}

void JavaScriptWorker::logWorkerTrouble(const std::string& what) {
  kit::log({"The script worker " + what}, kit::LogType::error, "runJavaScript(code:text:)");
}

void JavaScriptWorker::letEnd() {
  if (!process_) return;
  process_->close();
  ending_.push_back({std::move(process_), Clock::now() + endingTimeout});
}

void JavaScriptWorker::endLingeringWorkers() {
  std::erase_if(ending_, [now = Clock::now()](const EndingWorker& ending) {
    if (ending.process->hasEnded()) return true;
    if (now >= ending.killAt) ending.process->kill();
    return false;
  });
}

}  // namespace engine
