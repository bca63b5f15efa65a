#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "kit/foundation/atomic_collections.h"

// The two plain-text forms in which the program describes itself and its machine for support requests.
namespace kit::DebugInfo {

// An entry's value, produced each time the information is built; none shows as "<nil>".
using Provider = std::function<std::optional<std::string>()>;

// Entries of the compact lines. Main thread.
std::map<std::string, Provider>& debugInfoProviders();
std::map<std::string, std::optional<std::string>>& extraDebugInfo();
// Entries of the text's Custom section. Any thread.
AtomicDictionary<std::string, Provider>& atomicDebugInfoProviders();
AtomicDictionary<std::string, std::optional<std::string>>& atomicDebugInfo();

// The debug-info text: application, Device, Settings, Custom and Logs sections. Main thread.
std::string debugInfoText();
// The compact "key: value" lines sent with feedback. Main thread.
std::string debugInfo();
// The rendered Custom entries; a provider wins over a stored entry of the same name.
std::map<std::string, std::string> customDebugInfo();

// The time since the start of the run: "0s", "42s", "3m 5s", "2h 0m 7s", "1d 4h 0m 0s".
std::string runningTimeText();
std::string runningTimeText(double seconds);
std::string appMemoryUsageText();
std::string remainingAvailableMemoryText();
// "English (US) (us)" from the X keyboard layout, else "<Unknown>".
std::string currentKeyboardLayoutText();

// The ids of the menu-bar managers that can hide the program's icon, which the debug information and the report of
// a hidden icon ask about.
namespace MenuBarManagers {
inline const std::vector<std::string> bartender{"com.surteesstudios.Bartender", "com.surteesstudios.Bartender-setapp"};
inline const std::string hiddenBar = "com.dwarvesv.minimalbar";
inline const std::string barbee = "com.HyperartFlow.Barbee";
inline const std::string dozer = "com.mortennn.Dozer";
// Bartender and the others that work like it.
std::vector<std::string> bartenderLike();
}  // namespace MenuBarManagers

}  // namespace kit::DebugInfo
