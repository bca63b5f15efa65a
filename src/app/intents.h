#pragma once

#include <string>
#include <vector>

#include "platform/url/url.h"

// The two operations the desktop's automation reaches: over D-Bus and from the command line.
namespace app {

// "Clear Clipboard Formatting": one cleaning pass over the clipboard, as "Clear Formatting Now" does.
// Main thread.
struct ClearFormattingIntent {
  static constexpr const char* title = "Clear Clipboard Formatting";
  static constexpr const char* parameterSummary = "Clear formatting of text on the clipboard";
  void perform() const;
};

// "Remove Tracking Parameters from URLs": the cleaned URLs, one for each given URL, in the same order. Any thread.
struct RemoveTrackingParametersIntent {
  static constexpr const char* title = "Remove Tracking Parameters from URLs";
  static constexpr const char* parameterSummary = "Remove tracking parameters from ";
  std::vector<platform::Url> url;
  std::vector<platform::Url> perform() const;
};

}  // namespace app
