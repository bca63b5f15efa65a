#include "script_worker/javascript_worker_service.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <variant>

#include "engine/javascript_error.h"
#include "engine/javascript_worker_protocol.h"
#include "platform/core/error.h"
#include "platform/core/file_descriptor.h"
#include "platform/process/worker_channel.h"
#include "script_worker/javascript_runner.h"

namespace engine {

namespace {

using namespace javascriptworker;

// A run's outcome as the message that carries it; empty for a request that is not a well-formed run.
std::string outcomeMessage(JavaScriptRunner& runner, MessageReader& request, platform::WorkerChannel& channel) {
  auto code = request.text();
  auto text = request.text();
  auto sourceApp = request.optionalText();
  JavaScriptTimeLimit timeLimit{request.number<double>()};
  if (!request.ok() || request.kind() != runRequest) return {};
  // Only the lines the program keeps cross over; the others are counted.
  uint64_t lines = 0;
  auto sendLine = [&](const std::string& line) {
    if (++lines <= consoleLinesKeptPerRun)
      channel.send(MessageWriter(logLine).addText(cutText(line, longestConsoleLine)).take());
  };
  auto sendOmittedCount = [&] {
    if (lines > consoleLinesKeptPerRun)
      channel.send(MessageWriter(logLinesOmitted).addNumber(lines - consoleLinesKeptPerRun).take());
  };
  try {
    auto result = runner.run(code, text, sourceApp, sendLine, timeLimit);
    sendOmittedCount();
    if (result && result->size() > scriptResultLimit) {
      return MessageWriter(otherFailure).addText(scriptResultTooLargeDescription(result->size())).take();
    }
    return result ? MessageWriter(textResult).addText(*result).take() : MessageWriter(noResult).take();
  } catch (const JavaScriptError& error) {
    sendOmittedCount();
    return MessageWriter(scriptException)
        .addText(cutText(error.name(), longestConsoleLine))
        .addText(cutText(error.message(), longestConsoleLine))
        .addText(cutText(error.stack(), longestConsoleLine))
        .addNumber(int32_t{error.line()})
        .addNumber(int32_t{error.column()})
        .addOptionalText(error.causeMessage() ? std::optional(cutText(*error.causeMessage(), longestConsoleLine))
                                              : std::nullopt)
        .take();
  } catch (const platform::Error& error) {
    sendOmittedCount();
    return MessageWriter(otherFailure).addText(cutText(error.localizedDescription(), longestConsoleLine)).take();
  }
}

}  // namespace

int serveJavaScriptRequests() {
  // A worker whose program is gone ends with it, also in the middle of a script.
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  // The channel moves off the standard descriptors, so that nothing printed by accident can break a message.
  platform::FileDescriptor descriptor(::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, STDERR_FILENO + 1));
  if (!descriptor) return EXIT_FAILURE;
  ::dup2(platform::FileDescriptor(::open("/dev/null", O_RDONLY | O_CLOEXEC)).get(), STDIN_FILENO);
  ::dup2(STDERR_FILENO, STDOUT_FILENO);

  platform::WorkerChannel channel(std::move(descriptor));
  JavaScriptRunner runner;
  if (!runner.prepare() || !channel.send(MessageWriter(ready).take())) return EXIT_FAILURE;
  for (;;) {
    auto message = channel.receive();
    if (!std::holds_alternative<std::string>(message)) break;
    MessageReader request(std::get<std::string>(message));
    std::string outcome = outcomeMessage(runner, request, channel);
    if (outcome.empty() || !channel.send(outcome)) return EXIT_FAILURE;
    // While the program goes on with the answer, the context of the next run is made.
    runner.prepare();
  }
  return EXIT_SUCCESS;
}

}  // namespace engine
