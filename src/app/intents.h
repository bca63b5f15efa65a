#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/url/url.h"

namespace engine {
class PasteboardController;
}

// The two operations the desktop's automation reaches: over D-Bus and from the command line.
namespace app {

// "Clear Clipboard Formatting": one cleaning pass over the clipboard, as "Clear Formatting Now" does; `done` once
// the pass has written or found nothing to write. Main thread.
struct ClearFormattingIntent {
  static constexpr const char* title = "Clear Clipboard Formatting";
  static constexpr const char* parameterSummary = "Clear formatting of text on the clipboard";
  // On the shared engine.
  void perform(std::function<void()> done = {}) const;
  void perform(engine::PasteboardController& controller, std::function<void()> done = {}) const;
};

// "Remove Tracking Parameters from URLs": the cleaned URLs, one for each given URL, in the same order. Any thread.
struct RemoveTrackingParametersIntent {
  static constexpr const char* title = "Remove Tracking Parameters from URLs";
  static constexpr const char* parameterSummary = "Remove tracking parameters from ";
  std::vector<platform::Url> url;
  std::vector<platform::Url> perform() const;
};

// What the automation hands in is text: each URL cleaned, and each text that is not a URL unchanged, one
// line for each given text in the same order, so that the answer stays aligned with the question.
struct TrackingRemovalLines {
  std::vector<std::string> lines;
  std::vector<std::string> notURLs;  // the texts passed on unchanged, in order
};
TrackingRemovalLines removeTrackingParametersLineByLine(const std::vector<std::string>& texts);
// Why `text` was passed on unchanged.
std::string notAURLMessage(const std::string& text);
// The same for the log, about all of them at once, in a line of bounded length that holds none of the texts (they
// may be anything a caller sends, secrets included): their count and the first few lengths.
std::string notURLsSummary(const std::vector<std::string>& notURLs);

}  // namespace app
