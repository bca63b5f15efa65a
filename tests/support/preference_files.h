#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

#include "platform/core/executor.h"
#include "support/temporary_config_home.h"

// For the tests of preferences files, here and in the preferences kit.
namespace prefs_test {

// A fresh XDG_CONFIG_HOME for one test, removed afterwards.
using ::TemporaryConfigHome;

// A suite name no other test uses.
std::string uniqueSuiteName();

// Installs a manual main executor for the whole test program (outside changes are delivered there).
platform::ManualExecutor& testMainExecutor();

// Runs the main executor and polls until the condition holds or the timeout passes; returns the last result.
bool waitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::milliseconds(3000));

// Writes a file the way another program would: to a side file, then renamed into place.
void replaceFile(const std::filesystem::path& path, const std::string& content);

// Runs a shell command and returns its standard output.
std::string commandOutput(const std::string& command);

}  // namespace prefs_test

#include <ostream>

#include "platform/prefs/plist_value.h"

namespace platform {
// Readable values in test failures.
inline void PrintTo(const PlistValue& value, std::ostream* out) { *out << describe(value); }
}  // namespace platform
