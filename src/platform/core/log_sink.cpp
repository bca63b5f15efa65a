#include "platform/core/log_sink.h"

#include <syslog.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#define SD_JOURNAL_SUPPRESS_LOCATION
#include <systemd/sd-journal.h>

namespace platform {
namespace {

int priority(LogLevel level) {
  switch (level) {
    case LogLevel::notice:
      return LOG_NOTICE;
    case LogLevel::info:
      return LOG_INFO;
    case LogLevel::debug:
      return LOG_DEBUG;
    case LogLevel::error:
      return LOG_ERR;
    case LogLevel::critical:
      return LOG_CRIT;
  }
  return LOG_NOTICE;
}

}  // namespace

void sendToJournal(const LogRecord& record) {
  // The journal's fields are C strings; string_views are not terminated.
  std::string message(record.message), identifier(record.identifier), category(record.category), file(record.file),
      function(record.function);
  sd_journal_send("MESSAGE=%s", message.c_str(), "PRIORITY=%i", priority(record.level), "SYSLOG_IDENTIFIER=%s",
                  identifier.c_str(), "CODE_FILE=%s", file.c_str(), "CODE_LINE=%lld",
                  static_cast<long long>(record.line), "CODE_FUNC=%s", function.c_str(), "LOG_CATEGORY=%s",
                  category.c_str(), nullptr);
}

void mirrorToStandardError(std::string_view text) {
  while (!text.empty()) {
    ssize_t written = ::write(STDERR_FILENO, text.data(), text.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return;
    }
    text.remove_prefix(static_cast<size_t>(written));
  }
}

void printLineToStandardOutput(std::string_view line) {
  std::string text;
  text.reserve(line.size() + 1);
  text.append(line);
  text += '\n';
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

}  // namespace platform
