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

// How much memory a user script may hold, everything the engine keeps for it included.
inline constexpr size_t scriptMemoryLimit = size_t{256} << 20;
// "Script used more than 256 MB of memory."
std::string scriptMemoryLimitDescription();

}  // namespace engine
