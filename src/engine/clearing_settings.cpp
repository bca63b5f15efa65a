#include "engine/clearing_settings.h"

#include <algorithm>

#include "engine/preference_keys.h"

namespace engine {

ClearingSettings ClearingSettings::current() {
  using kit::Preferences::get;
  namespace Keys = kit::Preferences::Keys;
  const auto& excludedApps = Keys::excludedApps();
  return {
      .automaticallyClearFormatting = get(Keys::automaticallyClearFormatting()),
      .preserveLinks = get(Keys::preserveLinks()),
      .improveCompatibilityWithAppendOperations = get(Keys::improveCompatibilityWithAppendOperations()),
      .transforms = {.removeTrackingParameters = get(Keys::removeTrackingParametersFromURLs()),
                     .trimWhitespace = get(Keys::trimLeadingAndTrailingWhitespace()),
                     .normalizeUnorderedLists = get(Keys::normalizeUnorderedLists())},
      .transformTextWithJavaScript = get(Keys::transformTextWithJavaScript()),
      .javaScriptCode = get(Keys::javaScriptCode()),
      // The list as stored (an array of texts); anything else reads as none, and the key's default applies.
      .excludedApps =
          kit::Preferences::storedValue<std::vector<kit::BundleIdentifier>>(excludedApps.suite(), excludedApps.name())
              .value_or(excludedApps.defaultValue()),
      .forceUsingFrontmostApp = get(Keys::_forceUsingFrontmostApp()),
  };
}

bool ClearingSettings::isExcluded(const std::string& bundleIdentifier) const {
  return std::find(excludedApps.begin(), excludedApps.end(), kit::BundleIdentifier(bundleIdentifier)) !=
         excludedApps.end();
}

}  // namespace engine
