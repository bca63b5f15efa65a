#pragma once

#include <string>
#include <string_view>

#include "kit/foundation/ordered_collections.h"
#include "platform/prefs/user_defaults.h"

// The application's stored preferences as the debug information shows them.
namespace kit::PreferencesDump {

// False for keys of other libraries ("NS", "ILMedia", "MSAppCenter" prefixes).
bool isShownPreferenceKey(std::string_view key);
// True for the kit's own keys ("Zv_" and "__" prefixes).
bool isKitPreferenceKey(std::string_view key);
// The readable text of one stored value: Booleans as true or false, whole numbers plainly, other numbers rounded
// to two decimals, data as its size, dates in UTC, lists and dictionaries in brackets.
std::string debugDisplayValue(const platform::PlistValue& value);

// The suite's stored values (never registered defaults) less three history keys, rendered; the kit's keys first,
// each group in ascending order (upper case before lower case). What the preferences screen lists.
OrderedDictionary<std::string, std::string> debugEntries(const platform::UserDefaults& suite);
// The same less the keys of other libraries: the settings section of the debug information.
OrderedDictionary<std::string, std::string> debugInfoDictionary(const platform::UserDefaults& suite);

}  // namespace kit::PreferencesDump
