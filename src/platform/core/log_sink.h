#pragma once

#include <cstdint>
#include <string_view>

namespace platform {

// Levels of the system log, in the journal's priorities.
enum class LogLevel { notice, info, debug, error, critical };

struct LogRecord {
  std::string_view message;
  LogLevel level = LogLevel::notice;
  std::string_view identifier;  // the application id
  std::string_view category;
  std::string_view file;
  int64_t line = 0;
  std::string_view function;
};

// Sends one entry to the systemd journal; without a journal the entry is silently dropped.
void sendToJournal(const LogRecord& record);
// Writes the text unchanged to standard error in one write.
void mirrorToStandardError(std::string_view text);
// Writes the line and a line end to standard output in one piece and flushes it at once: the plain lines that other
// programs and the tests read from ours.
void printLineToStandardOutput(std::string_view line);

}  // namespace platform
