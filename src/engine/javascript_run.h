#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

namespace engine {

// Receives each console.log line of a script.
using JavaScriptLogHandler = std::function<void(const std::string& line)>;

// How long one evaluation of a user script may run before it is stopped.
using JavaScriptTimeLimit = std::chrono::duration<double>;
inline constexpr JavaScriptTimeLimit clearingPassScriptTimeLimit{1.0};
inline constexpr JavaScriptTimeLimit scriptEditorTimeLimit{5.0};

// "Script took longer than 1 second.", "... 5 seconds."
std::string scriptTimeLimitDescription(JavaScriptTimeLimit limit);

// The longest text a script may return: as much as the largest copy that is cleaned. Beyond it the result is
// refused, and the text stays as the other transforms made it.
inline constexpr size_t scriptResultLimit = size_t{16} << 20;
// "Script returned 47.7 MB of text, more than 16 MB."
std::string scriptResultTooLargeDescription(size_t size);

// What one run's console.log lines may cost: the lines kept for the caller, the lines printed to standard
// output (the rest is summed up in one line), and the longest line (longer ones are cut).
inline constexpr size_t consoleLinesKeptPerRun = 1000;
inline constexpr size_t consoleLinesPrintedPerRun = 100;
inline constexpr size_t longestConsoleLine = size_t{16} << 10;
// Whether a run's console.log lines go to standard output besides the caller's handler. Nothing of a run on a
// copy marked concealed (a password, say) is printed.
enum class ConsoleLinesPrinted { yes, no };

// How much memory a user script may hold, everything the engine keeps for it included.
inline constexpr size_t scriptMemoryLimit = size_t{256} << 20;
// "Script used more than 256 MB of memory."
std::string scriptMemoryLimitDescription();

}  // namespace engine
