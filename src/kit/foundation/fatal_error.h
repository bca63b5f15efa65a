#pragma once

#include <source_location>
#include <string>
#include <string_view>

namespace kit {

// Why the program stops on a programmer error, so that every such stop says one of a few fixed sentences.
struct FatalReason {
  std::string reason;

  explicit FatalReason(std::string reason) : reason(std::move(reason)) {}
  const std::string& description() const { return reason; }
  operator std::string_view() const { return reason; }

  // The shared reasons, each made once.
  static const FatalReason& unreachable();        // "Should never be reached during execution."
  static const FatalReason& notYetImplemented();  // "Not yet implemented."
  static const FatalReason& mustBeOverridden();   // "Must be overridden in subtype."
  static const FatalReason& mustNotBeCalled();    // "Should never be called."
};

// Stops the program on a programmer error: "Fatal error: <function>: <reason>" with the file and line; the caller's
// function by its plain name, as the log names it.
[[noreturn]] void fatalError(std::string_view reason, std::source_location location = std::source_location::current());
[[noreturn]] void fatalError(std::string_view reason, std::string_view function, std::string_view file, int line);

// Stops the program when a programmer's assumption does not hold.
inline void precondition(bool condition, std::string_view message,
                         std::source_location location = std::source_location::current()) {
  if (!condition) fatalError(message, location);
}

}  // namespace kit
