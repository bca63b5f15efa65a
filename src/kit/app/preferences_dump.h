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
// The readable text of one stored value in the debug information: Booleans as true or false, whole numbers plainly,
// other numbers rounded to two decimals, data as its size, dates in UTC, lists and dictionaries in brackets (the
// numbers in them as stored).
std::string debugDisplayValue(const platform::PlistValue& value);
// The whole value as text, as the preferences screen shows it: the same, but numbers as they are stored (the shortest
// text that reads back as the same number) and data with all its bytes ("{length = 3, bytes = 0x616263}").
std::string textualDescription(const platform::PlistValue& value);

// The values stored in the suite itself (never registered defaults) less the keys of other libraries; empty when it
// has stored nothing.
platform::PlistDict filteredPersistentDomain(const platform::UserDefaults& suite);

// The suite's stored values less three history keys; the kit's keys first, each group in Unicode canonical order
// (upper case before lower case). What the preferences screen lists.
OrderedDictionary<std::string, platform::PlistValue> debugEntries(const platform::UserDefaults& suite);
// filteredPersistentDomain less the same history keys, in the same order, each value rendered by debugDisplayValue:
// the settings section of the debug information.
OrderedDictionary<std::string, std::string> debugInfoDictionary(const platform::UserDefaults& suite);

}  // namespace kit::PreferencesDump
