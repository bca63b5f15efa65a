#include "app/intents.h"

#include "engine/pasteboard_controller.h"
#include "engine/tracking_parameters.h"

namespace app {

void ClearFormattingIntent::perform(std::function<void()> done) const {
  perform(engine::PasteboardController::shared(), std::move(done));
}

void ClearFormattingIntent::perform(engine::PasteboardController& controller, std::function<void()> done) const {
  controller.clearFormattingNow([done = std::move(done)](engine::ClearingOutcome) {
    if (done) done();
  });
}

std::vector<platform::Url> RemoveTrackingParametersIntent::perform() const {
  std::vector<platform::Url> cleaned;
  cleaned.reserve(url.size());
  for (const auto& each : url) cleaned.push_back(engine::removingTrackingParametersUnlessExempt(each));
  return cleaned;
}

TrackingRemovalLines removeTrackingParametersLineByLine(const std::vector<std::string>& texts) {
  TrackingRemovalLines result;
  result.lines.reserve(texts.size());
  for (const auto& text : texts) {
    const auto url = platform::Url::parseStrict(text);
    if (!url || !url->scheme()) {
      result.lines.push_back(text);
      result.notURLs.push_back(text);
      continue;
    }
    RemoveTrackingParametersIntent intent;
    intent.url.push_back(*url);
    result.lines.push_back(intent.perform().front().absoluteString());
  }
  return result;
}

std::string notURLsSummary(const std::vector<std::string>& notURLs) {
  constexpr size_t lengthsShown = 10;
  std::string lengths;
  for (size_t i = 0; i < notURLs.size() && i < lengthsShown; ++i)
    lengths += (i == 0 ? "" : ", ") + std::to_string(notURLs[i].size());
  if (notURLs.size() > lengthsShown) lengths += ", …";
  return std::to_string(notURLs.size()) + (notURLs.size() == 1 ? " text is" : " texts are") +
         " not a URL and passed on unchanged (lengths in bytes: " + lengths + ")";
}

std::string notAURLMessage(const std::string& text) {
  return "\"" + text +
         "\" is not a URL (a URL has a scheme such as \"https:\" and no spaces); it is passed on unchanged";
}

}  // namespace app
