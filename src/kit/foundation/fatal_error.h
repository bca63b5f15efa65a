#pragma once

#include <source_location>
#include <string_view>

namespace kit {

// The reasons the program gives when it stops on a programmer error.
namespace FatalReason {
inline constexpr std::string_view unreachable = "Should never be reached during execution.";
inline constexpr std::string_view notYetImplemented = "Not yet implemented.";
inline constexpr std::string_view mustBeOverridden = "Must be overridden in subtype.";
inline constexpr std::string_view shouldNeverBeCalled = "Should never be called.";
}  // namespace FatalReason

// Stops the program on a programmer error: "Fatal error: <function>: <reason>" with the file and line.
[[noreturn]] void fatalError(std::string_view reason, std::source_location location = std::source_location::current());
[[noreturn]] void fatalError(std::string_view reason, std::string_view function, std::string_view file, int line);

// Stops the program when a programmer's assumption does not hold.
inline void precondition(bool condition, std::string_view message,
                         std::source_location location = std::source_location::current()) {
  if (!condition) fatalError(message, location);
}

}  // namespace kit
