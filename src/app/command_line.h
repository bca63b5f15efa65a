#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace app {

inline constexpr const char* clearClipboardFormattingCommandName = "clear-clipboard-formatting";

// The text of `quillet --help`.
std::string usageText();

// `quillet clear-clipboard-formatting`: asks the running instance for one cleaning pass over the clipboard,
// starting an instance first when none runs. Answers the exit status: 0, or 1 with the reason on `err`.
int runClearClipboardFormattingCommand(int argc, char** argv, std::ostream& err);

// What the arguments ask for.
enum class Command { runApplication, help, clearClipboardFormatting, removeTrackingParameters, unknown };
Command commandFor(const std::vector<std::string>& arguments);

}  // namespace app
