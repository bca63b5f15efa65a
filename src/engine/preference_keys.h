#pragma once

#include <string>
#include <vector>

#include "kit/foundation/bundle_identifier.h"
#include "kit/preferences/foundation_conformances.h"
#include "kit/preferences/key.h"

// The application's own settings, in the standard suite. Each key is created (and its default
// registered) on first use; declaring them writes nothing to the user's file.
namespace kit::Preferences::Keys {

// The one maker of the application's Bool keys.
Key<bool> boolKey(std::string name, bool defaultValue);

const Key<bool>& automaticallyClearFormatting();
const Key<bool>& hideMenuBarIcon();
const Key<bool>& dimMenuBarIconWhenDisabled();
const Key<std::vector<kit::BundleIdentifier>>& excludedApps();
const Key<bool>& preserveLinks();
const Key<bool>& removeTrackingParametersFromURLs();
const Key<bool>& improveCompatibilityWithAppendOperations();
const Key<bool>& transformTextWithJavaScript();
const Key<std::string>& javaScriptCode();
const Key<bool>& trimLeadingAndTrailingWhitespace();
const Key<bool>& normalizeUnorderedLists();
// No settings row; never written by the program.
const Key<bool>& _clearFormattingWhenEnablingAutoFormatting();
// No settings row; set once, on the first launch.
const Key<bool>& _forceUsingFrontmostApp();

}  // namespace kit::Preferences::Keys
