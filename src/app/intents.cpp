#include "app/intents.h"

#include "engine/pasteboard_controller.h"
#include "engine/tracking_parameters.h"

namespace app {

void ClearFormattingIntent::perform() const { engine::PasteboardController::shared().clearFormatting(); }

std::vector<platform::Url> RemoveTrackingParametersIntent::perform() const {
  std::vector<platform::Url> cleaned;
  cleaned.reserve(url.size());
  for (const auto& each : url) cleaned.push_back(engine::removingTrackingParametersUnlessExempt(each));
  return cleaned;
}

}  // namespace app
