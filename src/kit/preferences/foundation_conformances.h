#pragma once

#include "kit/foundation/bundle_identifier.h"
#include "kit/preferences/serializable.h"

namespace kit::Preferences {

// An application id is stored as its plain text, so a list of them is an array of strings.
template <>
struct Serializable<kit::BundleIdentifier> : PreferRawRepresentable<kit::BundleIdentifier> {};

}  // namespace kit::Preferences
