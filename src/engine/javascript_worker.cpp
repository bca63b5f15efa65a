#include "engine/javascript_worker.h"

#include <cstdint>
#include <cstdio>
#include <system_error>
#include <utility>
#include <variant>

#include "engine/javascript_error.h"
#include "engine/javascript_worker_protocol.h"
#include "kit/foundation/general_error.h"
#include "kit/foundation/log.h"

namespace engine {

namespace {

using namespace std::chrono_literals;
using namespace javascriptworker;
using Clock = platform::WorkerProcess::Clock;
using Stop = platform::WorkerProcess::Stop;

// The engine's own limit cannot stop everything (a chain of promise jobs starts its clock afresh with each
// job): past the limit and this grace the worker is killed.
constexpr auto timeLimitGrace = 500ms;
// A new worker has this long to load the engine and say it is ready.
constexpr auto startingTimeout = 20s;
// A worker left holding more than this after a run is replaced, so garbage of one run never counts against
// the next.
constexpr size_t memoryKeptBetweenRuns = scriptMemoryLimit / 2;

// Throws the failure a well-formed reply carries; returns for anything else.
void throwFailure(MessageReader& reply) {
  if (reply.kind() == scriptException) {
    auto name = reply.text();
    auto message = reply.text();
    auto stack = reply.text();
    auto line = reply.number<int32_t>();
    auto column = reply.number<int32_t>();
    auto cause = reply.optionalText();
    if (reply.ok()) throw JavaScriptError(name, message, stack, line, column, cause);
  } else if (reply.kind() == otherFailure) {
    auto description = reply.text();
    if (reply.ok()) throw kit::GeneralError(description);
  }
}

void printConsoleLine(const std::string& line) {
  std::string output = "JSContext - console.log: " + line + "\n";
  std::fwrite(output.data(), 1, output.size(), stdout);
}

std::filesystem::path besideThisProgram(const char* name) {
  std::error_code error;
  auto self = std::filesystem::read_symlink("/proc/self/exe", error);
  return self.parent_path() / name;
}

}  // namespace

std::optional<std::string> runJavaScript(const std::string& code, const std::string& text,
                                         const std::optional<std::string>& sourceApp, JavaScriptLogHandler logHandler,
                                         JavaScriptTimeLimit timeLimit) {
  return JavaScriptWorker::shared().run(code, text, sourceApp, std::move(logHandler), timeLimit);
}

JavaScriptWorker& JavaScriptWorker::shared() {
  static JavaScriptWorker worker(besideThisProgram(javaScriptWorkerExecutableName));
  return worker;
}

JavaScriptWorker::JavaScriptWorker(std::filesystem::path executable) : executable_(std::move(executable)) {}

std::optional<std::string> JavaScriptWorker::run(const std::string& code, const std::string& text,
                                                 const std::optional<std::string>& sourceApp,
                                                 JavaScriptLogHandler logHandler, JavaScriptTimeLimit timeLimit) {
  std::lock_guard lock(mutex_);
  std::erase_if(ending_, [](const auto& worker) { return worker->hasEnded(); });
  auto request = MessageWriter(runRequest)
                     .addText(code)
                     .addText(text)
                     .addOptionalText(sourceApp)
                     .addNumber(timeLimit.count())
                     .take();
  if (!sendToWorker(request)) throw kit::GeneralError("Failed to initialize JavaScript engine.");

  const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(timeLimit) + timeLimitGrace;
  for (;;) {
    auto received = process_->receive(deadline, scriptMemoryLimit);
    if (auto* stop = std::get_if<Stop>(&received)) {
      if (*stop == Stop::ended) {
        kit::log({"The script worker stopped while running a script: " + process_->endDescription()},
                 kit::LogType::error, "runJavaScript(code:text:)");
      }
      letEnd();
      if (*stop == Stop::pastMemoryLimit) throw kit::GeneralError(scriptMemoryLimitDescription());
      if (*stop == Stop::pastDeadline) throw kit::GeneralError(scriptTimeLimitDescription(timeLimit));
      throw kit::GeneralError("Failed to evaluate JavaScript code.");
    }
    MessageReader reply(std::get<std::string>(received));
    if (reply.kind() == logLine) {
      auto line = reply.text();
      try {
        if (logHandler) logHandler(line);
      } catch (...) {
        // The script is still running, and no one waits for its answer.
        process_->kill();
        letEnd();
        throw;
      }
      printConsoleLine(line);
      continue;
    }
    // Garbage of this run must not count against the next: a worker left holding much is replaced.
    if (process_->residentMemory().value_or(0) > memoryKeptBetweenRuns) letEnd();
    if (reply.kind() == noResult) return std::nullopt;
    if (reply.kind() == textResult) {
      auto result = reply.text();
      if (reply.ok()) return result;
    }
    throwFailure(reply);
    // A reply out of step with the exchange: this worker is not trusted with another run.
    if (process_) process_->kill();
    letEnd();
    throw kit::GeneralError("Failed to evaluate JavaScript code.");
  }
}

bool JavaScriptWorker::sendToWorker(const std::string& request) {
  if (process_ && !process_->isIdle()) letEnd();
  // A worker that ended since the last run is replaced; the replacement gets one try.
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (!process_) {
      std::string error;
      process_ = platform::WorkerProcess::start(executable_, &error);
      if (!process_) {
        kit::log({"The script worker could not be started: " + error}, kit::LogType::error,
                 "runJavaScript(code:text:)");
        return false;
      }
      auto greeting = process_->receive(Clock::now() + startingTimeout, scriptMemoryLimit);
      auto* message = std::get_if<std::string>(&greeting);
      if (!message || MessageReader(*message).kind() != ready) {
        kit::log({"The script worker did not start: " + process_->endDescription()}, kit::LogType::error,
                 "runJavaScript(code:text:)");
        process_->kill();
        letEnd();
        return false;
      }
    }
    if (process_->send(request)) return true;
    letEnd();
  }
  return false;
}

void JavaScriptWorker::letEnd() {
  if (!process_) return;
  process_->close();
  ending_.push_back(std::move(process_));
}

}  // namespace engine
