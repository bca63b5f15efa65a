#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/prefs/plist_value.h"

namespace platform {

// Reads an XML property list whose root is a dictionary. Any other input, including a binary list, a
// root of another kind, nesting deeper than the store ever writes, or more bytes than a preferences
// file can sensibly hold, gives no value.
std::optional<PlistDict> parsePropertyListDictionary(std::string_view bytes);

// Writes a dictionary as an XML property list.
std::string xmlPropertyList(const PlistDict& dict);

}  // namespace platform
