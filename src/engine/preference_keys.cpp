#include "engine/preference_keys.h"

namespace kit::Preferences::Keys {

Key<bool> boolKey(std::string name, bool defaultValue) { return Key<bool>(std::move(name), defaultValue); }

#define QUILLET_BOOL_KEY(name, defaultValue)                   \
  const Key<bool>& name() {                                    \
    static const Key<bool> key = boolKey(#name, defaultValue); \
    return key;                                                \
  }

QUILLET_BOOL_KEY(automaticallyClearFormatting, true)
QUILLET_BOOL_KEY(hideMenuBarIcon, false)
QUILLET_BOOL_KEY(dimMenuBarIconWhenDisabled, true)

const Key<std::vector<kit::BundleIdentifier>>& excludedApps() {
  static const Key<std::vector<kit::BundleIdentifier>> key("excludedApps", {});
  return key;
}

QUILLET_BOOL_KEY(preserveLinks, false)
QUILLET_BOOL_KEY(removeTrackingParametersFromURLs, false)
QUILLET_BOOL_KEY(improveCompatibilityWithAppendOperations, false)
QUILLET_BOOL_KEY(transformTextWithJavaScript, false)

const Key<std::string>& javaScriptCode() {
  static const Key<std::string> key("javaScriptCode", "");
  return key;
}

QUILLET_BOOL_KEY(trimLeadingAndTrailingWhitespace, false)
QUILLET_BOOL_KEY(normalizeUnorderedLists, false)
QUILLET_BOOL_KEY(_clearFormattingWhenEnablingAutoFormatting, false)
QUILLET_BOOL_KEY(_forceUsingFrontmostApp, false)

#undef QUILLET_BOOL_KEY

}  // namespace kit::Preferences::Keys
