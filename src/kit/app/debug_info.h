#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "kit/foundation/any_value.h"
#include "kit/foundation/atomic_collections.h"
#include "kit/foundation/bytes.h"

// The two plain-text forms in which the program describes itself and its machine for support requests.
namespace kit::DebugInfo {

// An entry's value, produced each time the information is built: any printable value.
using Provider = std::function<AnyValue()>;

// Entries of the compact lines. Main thread.
std::map<std::string, Provider>& debugInfoProviders();
std::map<std::string, AnyValue>& extraDebugInfo();
// Entries of the text's Custom section. Any thread.
AtomicDictionary<std::string, Provider>& atomicDebugInfoProviders();
AtomicDictionary<std::string, AnyValue>& atomicDebugInfo();

// An entry's value as the information shows it: an optional's value in its place ("<nil>" when it is absent), then
// the value's standard textual form ("true", "42", "[1, 2]", a text as it is).
std::string debugInfoEntryText(const AnyValue& value);

// The debug-info text: application, Device, Settings, Custom and Logs sections. Main thread.
std::string debugInfoText();
// The compact "key: value" lines sent with feedback. Main thread.
std::string debugInfo();
// The rendered Custom entries; a provider wins over a stored entry of the same name.
std::map<std::string, std::string> customDebugInfo();

// The time since the start of the run: "0s", "42s", "3m 5s", "2h 0m 7s", "1d 4h 0m 0s".
std::string runningTimeText();
std::string runningTimeText(double seconds);
// This process's memory (its resident set), in bytes; none when it cannot be read.
std::optional<int64_t> appMemoryUsage();
// appMemoryUsage() as memory text, "<Unavailable>" without it.
std::string appMemoryUsageText();
// The memory the machine can still hand out without swapping, in bytes; throws when it cannot be read.
int64_t availableMemory();
// availableMemory(), never failing: a failure goes to the error hook and gives zero bytes.
Bytes remainingAvailableMemory();
// The scale factor of the primary screen (2.0 for a screen at twice the pixels); 1.0 without a screen.
double primaryScreenScaleFactor();
// The keyboard input source in use ("English (US) (us)"), else "<Unknown>".
std::string currentKeyboardLayoutText();
// "Is Bartender Running: true|false\nIs Bartender-like Running: true|false".
std::string menuBarManagerFlagsText();

// The ids of the menu-bar managers that can hide the program's icon, which the debug information and the report of
// a hidden icon ask about.
namespace MenuBarManagers {
inline const std::vector<std::string> bartenderBundleIdentifiers{"com.surteesstudios.Bartender",
                                                                 "com.surteesstudios.Bartender-setapp"};
inline const std::string hiddenBar = "com.dwarvesv.minimalbar";
inline const std::string barbee = "com.HyperartFlow.Barbee";
inline const std::string dozer = "com.mortennn.Dozer";
// Bartender and the others that work like it.
std::vector<std::string> bartenderLikeBundleIdentifiers();
}  // namespace MenuBarManagers

}  // namespace kit::DebugInfo
