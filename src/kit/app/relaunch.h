#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/task.h"

namespace kit {

struct RelaunchOptions {
  // Exit with status 0 after the new instance started instead of quitting the event loop; show no alert.
  bool exitImmediately = false;
  // On failure, report to the error hook without an alert.
  bool reportFailureOnly = false;
  // The new instance opens its settings window at start-up.
  bool showSettingsAfterRelaunch = false;
  // Start the new instance through /bin/sh after a short delay instead of directly.
  bool useShell = false;
};

// The argument the new instance is started with: it waits for the running one to give up the bus name.
inline constexpr const char* relaunchArgument = "--relaunch";

// How a new instance is started; tests replace it. Answers false (with a description) when it could not start.
using InstanceStarter =
    std::function<bool(const std::string& program, const std::vector<std::string>& arguments, std::string& error)>;
void setInstanceStarterForTesting(const InstanceStarter& starter);
// How the process ends after a successful start; tests replace it. A test's terminator leaves the process running, as
// a new process would start: replacing it (or putting the real one back) ends the relaunch in progress.
void setRelaunchTerminatorForTesting(const std::function<void(bool exitImmediately)>& terminator);

// Starts a new instance of the program and ends this one; main thread, at most one at a time. Returns when
// the relaunch failed (the failure is reported, and shown unless asked otherwise), after clearing the
// relaunch markers.
platform::Task<void> relaunch(RelaunchOptions options = {});
// The same, started as a task of its own on the main queue.
void requestRelaunch(RelaunchOptions options = {});

// Starts the new instance through /bin/sh, which waits a moment while this process ends, then ends this process.
// A failed start is reported (and shown in an alert queued on the main queue unless asked otherwise), and the
// relaunch markers are cleared. What relaunch() runs when asked to use the shell.
void relaunchUsingShell(bool exitImmediately, bool reportFailureOnly);

// The shell form: "/bin/sh" with these arguments. The executable travels as an argument, never inside the
// command text, so no character of its path is interpreted by the shell.
std::vector<std::string> shellRelaunchArguments(const std::filesystem::path& executable);

// Opens the settings window through the handler the settings window installs, bringing the application forward.
void openSettings();
void setOpenSettingsHandler(std::function<void()> handler);

}  // namespace kit
