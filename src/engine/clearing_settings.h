#pragma once

#include <string>
#include <vector>

#include "engine/clearing_pass.h"
#include "kit/foundation/bundle_identifier.h"

namespace engine {

// Everything a clearing pass depends on, read once when the pass begins and passed down, so that a pass never
// sees a setting change half-way through.
struct ClearingSettings {
  bool automaticallyClearFormatting = false;
  bool preserveLinks = false;
  bool improveCompatibilityWithAppendOperations = false;
  TextTransformOptions transforms;
  bool transformTextWithJavaScript = false;
  std::string javaScriptCode;
  std::vector<kit::BundleIdentifier> excludedApps;
  // The frontmost application stands in for a copy's source before the window under the pointer does.
  bool forceUsingFrontmostApp = false;

  // The settings as the preferences hold them now.
  static ClearingSettings current();
  bool isExcluded(const std::string& bundleIdentifier) const;
};

}  // namespace engine
