#pragma once

#include <string>

#include "platform/prefs/plist_value.h"

namespace platform {

// The dictionary as a binary property list ("bplist00"), which gives back every key and value as they are: a text or
// key of ASCII characters (a NUL among them) as an ASCII string, one of other UTF-8 as UTF-16, and one with bytes that
// are no UTF-8, as binary lists of other tools bring them in, as those bytes in an ASCII string. Equal texts and keys
// are stored once and referred to from every place they are used, as other writers do.
std::string binaryPropertyList(const PlistDict& dict);

}  // namespace platform
