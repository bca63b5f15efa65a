#include "engine/javascript_worker.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <utility>
#include <variant>

#include "engine/javascript_error.h"
#include "engine/javascript_runner.h"
#include "kit/foundation/general_error.h"
#include "kit/foundation/log.h"

namespace engine {

namespace {

using namespace std::chrono_literals;
using Clock = platform::JSWorkerProcess::Clock;
using Stop = platform::JSWorkerProcess::Stop;

// The engine's own limit cannot stop everything (a chain of promise jobs starts its clock afresh with each
// job): past the limit and this grace the worker is killed.
constexpr auto timeLimitGrace = 500ms;
// A new worker has this long to load the engine and say it is ready.
constexpr auto startingTimeout = 20s;
// A worker left holding more than this after a run is replaced, so garbage of one run never counts against
// the next.
constexpr size_t memoryKeptBetweenRuns = scriptMemoryLimit / 2;

// Message kinds. From the program: a run. From the worker: ready, a log line, and the run's outcome.
enum Kind : char {
  runRequest = 'R',
  ready = 'W',
  logLine = 'L',
  textResult = 'S',
  noResult = 'N',
  scriptException = 'J',
  otherFailure = 'G',
};

class MessageWriter {
 public:
  explicit MessageWriter(Kind kind) : bytes_(1, kind) {}
  MessageWriter& addText(std::string_view text) {
    addNumber(static_cast<uint32_t>(text.size()));
    bytes_.append(text);
    return *this;
  }
  MessageWriter& addOptionalText(const std::optional<std::string>& text) {
    addNumber(text.has_value());
    return text ? addText(*text) : *this;
  }
  template <class Number>
  MessageWriter& addNumber(Number number) {
    bytes_.append(reinterpret_cast<const char*>(&number), sizeof number);
    return *this;
  }
  std::string take() { return std::move(bytes_); }

 private:
  std::string bytes_;
};

// Reads what MessageWriter wrote; a short or malformed message reads as empty values and fails ok().
class MessageReader {
 public:
  explicit MessageReader(std::string_view message) : rest_(message) { kind_ = number<char>(); }
  char kind() const { return kind_; }
  bool ok() const { return ok_; }

  std::string text() {
    auto size = number<uint32_t>();
    if (size > rest_.size()) return fail<std::string>();
    std::string result(rest_.substr(0, size));
    rest_.remove_prefix(size);
    return result;
  }
  std::optional<std::string> optionalText() {
    if (!number<bool>()) return std::nullopt;
    return text();
  }
  template <class Number>
  Number number() {
    Number number{};
    if (rest_.size() < sizeof number) return fail<Number>();
    std::memcpy(&number, rest_.data(), sizeof number);
    rest_.remove_prefix(sizeof number);
    return number;
  }

 private:
  template <class T>
  T fail() {
    ok_ = false;
    rest_ = {};
    return T{};
  }

  std::string_view rest_;
  char kind_ = 0;
  bool ok_ = true;
};

// ---- The worker's side.

std::string outcomeMessage(JavaScriptRunner& runner, MessageReader& request, platform::JSWorkerChannel& channel) {
  auto code = request.text();
  auto text = request.text();
  auto sourceApp = request.optionalText();
  JavaScriptTimeLimit timeLimit{request.number<double>()};
  if (!request.ok() || request.kind() != runRequest) return {};
  try {
    auto result = runner.run(
        code, text, sourceApp,
        [&](const std::string& line) { channel.send(MessageWriter(logLine).addText(line).take()); }, timeLimit);
    return result ? MessageWriter(textResult).addText(*result).take() : MessageWriter(noResult).take();
  } catch (const JavaScriptError& error) {
    return MessageWriter(scriptException)
        .addText(error.name())
        .addText(error.message())
        .addText(error.stack())
        .addNumber(int32_t{error.line()})
        .addNumber(int32_t{error.column()})
        .addOptionalText(error.causeMessage())
        .take();
  } catch (const platform::Error& error) {
    return MessageWriter(otherFailure).addText(error.localizedDescription()).take();
  }
}

// ---- The program's side.

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
      process_ = platform::JSWorkerProcess::start(executable_, &error);
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

int serveJavaScriptRequests() {
  // A worker whose program is gone ends with it, also in the middle of a script.
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  // The channel moves off the standard descriptors, so that nothing printed by accident can break a message.
  int descriptor = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
  if (descriptor < 0) return EXIT_FAILURE;
  int null = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  ::dup2(null, STDIN_FILENO);
  ::dup2(STDERR_FILENO, STDOUT_FILENO);
  ::close(null);

  platform::JSWorkerChannel channel(descriptor);
  JavaScriptRunner runner;
  if (!runner.prepare() || !channel.send(MessageWriter(ready).take())) return EXIT_FAILURE;
  while (auto message = channel.receive()) {
    MessageReader request(*message);
    std::string outcome = outcomeMessage(runner, request, channel);
    if (outcome.empty() || !channel.send(outcome)) return EXIT_FAILURE;
    // While the program goes on with the answer, the context of the next run is made.
    runner.prepare();
  }
  return EXIT_SUCCESS;
}

}  // namespace engine
