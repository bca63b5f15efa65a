#include "engine/clearing_settings.h"

#include <algorithm>

#include "engine/preference_keys.h"

namespace engine {

ClearingSettings ClearingSettings::current() {
  using kit::Preferences::get;
  namespace Keys = kit::Preferences::Keys;
  return {
      .automaticallyClearFormatting = get(Keys::automaticallyClearFormatting()),
      .preserveLinks = get(Keys::preserveLinks()),
      .improveCompatibilityWithAppendOperations = get(Keys::improveCompatibilityWithAppendOperations()),
      .transforms = {.removeTrackingParameters = get(Keys::removeTrackingParametersFromURLs()),
                     .trimWhitespace = get(Keys::trimLeadingAndTrailingWhitespace()),
                     .normalizeUnorderedLists = get(Keys::normalizeUnorderedLists())},
      .transformTextWithJavaScript = get(Keys::transformTextWithJavaScript()),
      .javaScriptCode = get(Keys::javaScriptCode()),
      .excludedApps = get(Keys::excludedApps()),
      .forceUsingFrontmostApp = get(Keys::_forceUsingFrontmostApp()),
  };
}

bool ClearingSettings::isExcluded(const std::string& bundleIdentifier) const {
  return std::find(excludedApps.begin(), excludedApps.end(), kit::BundleIdentifier(bundleIdentifier)) !=
         excludedApps.end();
}

}  // namespace engine
