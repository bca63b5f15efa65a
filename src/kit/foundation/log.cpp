#include "kit/foundation/log.h"

#include "kit/foundation/general_error.h"
#include "kit/foundation/zv_app.h"
#include "platform/core/clock.h"
#include "platform/core/log_sink.h"

namespace kit {

LogItem::LogItem(const platform::Error& error) : rendered_(reflectingDescription(error)) {}

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

// The position of the bracket that opens the group closed at `close`, scanning backwards; npos when unbalanced.
std::size_t openingBracket(std::string_view text, std::size_t close) {
  const char closing = text[close];
  const char opening = closing == ')' ? '(' : closing == '>' ? '<' : '[';
  int depth = 0;
  for (std::size_t i = close + 1; i-- > 0;) {
    if (text[i] == closing) ++depth;
    if (text[i] == opening && --depth == 0) return i;
  }
  return std::string_view::npos;
}

}  // namespace

std::string plainFunctionName(std::string_view signature) {
  // "void ns::Foo<T>::bar(int) const [with T = int]": the template arguments go first.
  if (auto with = signature.find(" [with "); with != std::string_view::npos) signature = signature.substr(0, with);
  // The parameter list is the last top-level parenthesised group; what follows it is qualifiers or the lambdas
  // ("::<lambda()>") the code sits in.
  std::size_t parameters = std::string_view::npos;
  for (std::size_t i = signature.size(); i-- > 0;) {
    char c = signature[i];
    if (c != ')' && c != '>' && c != ']') continue;
    std::size_t open = openingBracket(signature, i);
    if (open == std::string_view::npos) break;
    if (c == ')') {
      parameters = open;
      break;
    }
    i = open;
  }
  if (parameters == std::string_view::npos) return std::string(signature);
  std::string_view name = signature.substr(0, parameters);
  // Operators keep their symbol ("operator()", "operator==", "operator bool").
  for (std::size_t at = name.rfind("operator"); at != std::string_view::npos;
       at = at == 0 ? std::string_view::npos : name.rfind("operator", at - 1)) {
    if (at == 0 || name[at - 1] == ':' || name[at - 1] == ' ') return std::string(name.substr(at)) + "()";
  }
  // Template arguments after the name go ("foo<int>" is foo), then the qualifiers and return type before it.
  while (name.ends_with('>')) {
    std::size_t open = openingBracket(name, name.size() - 1);
    if (open == std::string_view::npos) break;
    name = name.substr(0, open);
  }
  std::size_t start = 0;
  for (std::size_t i = name.size(); i-- > 0;) {
    if (name[i] == '>' || name[i] == ')') {
      std::size_t open = openingBracket(name, i);
      if (open == std::string_view::npos) break;
      i = open;
    } else if (name[i] == ':' || name[i] == ' ') {
      start = i + 1;
      break;
    }
  }
  return std::string(name.substr(start)) + "()";
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
  lock_.withLock([&] { entries_.append(std::move(entry)); });
}

std::vector<std::string> DebugLogStore::entries() const {
  return lock_.withLock([&] { return entries_.entries(); });
}

void DebugLogStore::clear() {
  lock_.withLock([&] { entries_.removeAll(); });
}

DebugLogStore& debugLogStore() {
  static DebugLogStore store;
  return store;
}

}  // namespace kit
