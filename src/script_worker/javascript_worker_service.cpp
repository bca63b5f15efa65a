#include "script_worker/javascript_worker_service.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

#include "engine/javascript_error.h"
#include "engine/javascript_worker_protocol.h"
#include "platform/core/error.h"
#include "platform/process/worker_channel.h"
#include "script_worker/javascript_runner.h"

namespace engine {

namespace {

using namespace javascriptworker;

std::string outcomeMessage(JavaScriptRunner& runner, MessageReader& request, platform::WorkerChannel& channel) {
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

}  // namespace

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

  platform::WorkerChannel channel(descriptor);
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
