#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

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

// What another reader of both forms, python3's plistlib, makes of the file: the Python `expression` on its root
// dictionary `d`, as printed (without the line end); "unreadable: " and the reason when plistlib refuses the file.
std::string anotherReaderSays(const std::filesystem::path& file, const std::string& expression);
// The bytes as hexadecimal digits, as Python's `bytes.hex()` gives them.
std::string hexDigits(std::string_view bytes);

// A binary property list of the encoded objects, object i under reference i, as another tool (or a hostile one)
// writes it: offsets of eight bytes, references of `referenceSize` bytes.
std::string binaryPropertyList(const std::vector<std::string>& objects, std::uint64_t root = 0, int referenceSize = 1);
// One object of such a list: a string of one byte per character (any bytes), data, or a collection (marker 0xA0 for
// an array of the references, 0xD0 for a dictionary of the keys' references followed by the values').
std::string binaryAsciiString(std::string_view bytes);
std::string binaryData(std::string_view bytes);
std::string binaryCollection(unsigned marker, const std::vector<std::uint64_t>& references, int referenceSize = 1);
// A small binary list that stands for a large dictionary: {"k": [a, a, ... a]}, where a = [b, b, ... b] and so on,
// `width` references in each of `depth` arrays, so `width` to the power `depth` copies of the last (empty) array.
std::string sharedReferenceChain(std::uint64_t width, std::uint64_t depth);
// A binary list of {"Zv_launchCount": 3, "shared": [t, t, ... t]}, `copies` references to one text t of `length` "s",
// as writers that hold each distinct text once write it.
std::string sharedTextList(std::uint64_t copies, std::size_t length);

}  // namespace prefs_test

#include <ostream>

#include "platform/prefs/plist_value.h"

namespace platform {
// Readable values in test failures.
inline void PrintTo(const PlistValue& value, std::ostream* out) { *out << describe(value); }
}  // namespace platform
