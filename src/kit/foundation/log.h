#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <source_location>
#include <string>
#include <string_view>
#include <vector>

#include "kit/foundation/bounded_array.h"
#include "kit/foundation/locks.h"
#include "kit/foundation/textual_description.h"
#include "platform/core/error.h"

namespace kit {

enum class LogType { defaultType, info, debug, error, fault };

// One logged value, rendered as a debugger shows it (reflecting): texts quoted with escapes, numbers plain,
// optionals as Optional(...) or nil, sequences and maps bracketed, any type by its own debug description,
// description or operator<<.
class LogItem {
 public:
  template <Describable T>
  LogItem(const T& value) : rendered_(reflecting(value)) {}
  // An error as a debugger shows it: its type and every value it holds (reflectingDescription).
  LogItem(const platform::Error& error);

  const std::string& rendered() const { return rendered_; }

 private:
  std::string rendered_;
};

// The message (items joined by a space) and the location: "\n\t[<function> in <file base name>:<line>]\n".
std::string loggedText(std::initializer_list<LogItem> items, std::string_view function, std::string_view file,
                       int64_t line);

// Logs to the system journal (and standard error) and to the in-memory log. Any thread.
void log(std::initializer_list<LogItem> items, LogType type, std::string_view function, std::string_view file,
         int64_t line);
// The plain name of a function in the compiler's full signature, as the log shows it: "void kit::Foo::bar(int)
// const" is "bar()"; code inside a lambda names the function around it.
std::string plainFunctionName(std::string_view signature);

// `function` names the caller as it should appear in the log ("pasteboardDidChange()"); empty uses the plain name
// of the calling function.
inline void log(std::initializer_list<LogItem> items, LogType type = LogType::defaultType,
                std::string_view function = {}, std::source_location location = std::source_location::current()) {
  if (!function.empty()) return log(items, type, function, location.file_name(), location.line());
  log(items, type, plainFunctionName(location.function_name()), location.file_name(), location.line());
}

// The bounded in-memory log that the debug screens read: the newest 10000 entries, oldest first.
class DebugLogStore {
 public:
  static constexpr std::ptrdiff_t limit = 10000;

  void append(std::string entry);
  std::vector<std::string> entries() const;
  void clear();

 private:
  mutable UnfairLock lock_;
  BoundedArray<std::string> entries_{limit};
};

DebugLogStore& debugLogStore();

}  // namespace kit
