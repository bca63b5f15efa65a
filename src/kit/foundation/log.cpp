#include "kit/foundation/log.h"

#include <charconv>
#include <cstdio>

#include "kit/foundation/zv_app.h"
#include "platform/core/clock.h"
#include "platform/core/log_sink.h"

namespace kit {

LogItem::LogItem(std::string_view text) {
  rendered_.reserve(text.size() + 2);
  rendered_ += '"';
  for (char c : text) {
    switch (c) {
      case '"':
        rendered_ += "\\\"";
        break;
      case '\\':
        rendered_ += "\\\\";
        break;
      case '\n':
        rendered_ += "\\n";
        break;
      case '\t':
        rendered_ += "\\t";
        break;
      case '\r':
        rendered_ += "\\r";
        break;
      case '\0':
        rendered_ += "\\0";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
          char escaped[16];
          std::snprintf(escaped, sizeof escaped, "\\u{%X}", static_cast<unsigned>(c));
          rendered_ += escaped;
        } else {
          rendered_ += c;
        }
    }
  }
  rendered_ += '"';
}

LogItem::LogItem(double value) {
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  rendered_.assign(buffer, result.ptr);
  if (rendered_.find_first_of(".en") == std::string::npos) rendered_ += ".0";
}

std::string loggedText(std::initializer_list<LogItem> items, std::string_view function, std::string_view file,
                       int64_t line) {
  std::string text;
  for (const auto& item : items) {
    if (&item != items.begin()) text += ' ';
    text += item.rendered();
  }
  std::string_view base =
      file.substr(file.find_last_of('/') == std::string_view::npos ? 0 : file.find_last_of('/') + 1);
  if (base.ends_with(".cpp")) base.remove_suffix(4);
  text += "\n\t[";
  text += function;
  text += " in ";
  text += base;
  text += ':';
  text += std::to_string(line);
  text += "]\n";
  return text;
}

namespace {

platform::LogLevel level(LogType type) {
  switch (type) {
    case LogType::defaultType:
      return platform::LogLevel::notice;
    case LogType::info:
      return platform::LogLevel::info;
    case LogType::debug:
      return platform::LogLevel::debug;
    case LogType::error:
      return platform::LogLevel::error;
    case LogType::fault:
      return platform::LogLevel::critical;
  }
  return platform::LogLevel::notice;
}

}  // namespace

void log(std::initializer_list<LogItem> items, LogType type, std::string_view function, std::string_view file,
         int64_t line) {
  std::string text = loggedText(items, function, file, line);
  platform::sendToJournal({.message = text,
                           .level = level(type),
                           .identifier = ZvApp::id(),
                           .category = "general",
                           .file = file,
                           .line = line,
                           .function = function});
  platform::mirrorToStandardError(text);
  debugLogStore().append(text + "\t" + platform::dateDescription(platform::clock().now()) + "\n");
}

void DebugLogStore::append(std::string entry) {
  std::lock_guard guard(lock_);
  entries_.append(std::move(entry));
}

std::vector<std::string> DebugLogStore::entries() const {
  std::lock_guard guard(lock_);
  return entries_.entries();
}

void DebugLogStore::clear() {
  std::lock_guard guard(lock_);
  entries_.removeAll();
}

DebugLogStore& debugLogStore() {
  static DebugLogStore store;
  return store;
}

}  // namespace kit
