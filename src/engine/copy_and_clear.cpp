#include "engine/copy_and_clear.h"

#include "engine/preference_keys.h"
#include "kit/preferences/key.h"
#include "platform/core/error.h"
#include "platform/core/executor.h"
#include "platform/core/sleep.h"
#include "platform/system/synthetic_keys.h"

namespace engine {

namespace Keys = kit::Preferences::Keys;

void postSyntheticKeystroke(uint16_t keyCode) { platform::SyntheticKeys::postCommandChord(keyCode); }

void copyAndClearFormatting(PasteboardController& controller, const KeystrokePoster& post) {
  post(copyKeyCode);
  // The application answers later; what is there now is the previous copy, cleaned only while it still is
  // there (the pass writes only if the clipboard has not changed since it read it).
  controller.clearUnlessCleaned();
  platform::spawn(platform::mainExecutor(), [weak = controller.weakSelf()] { return clearAfterCopy(weak); });
}

platform::Task<void> clearAfterCopy(std::weak_ptr<PasteboardController> controller) {
  for (std::chrono::milliseconds wait : copyWaitSchedule) {
    try {
      co_await platform::sleepFor(wait);
    } catch (const platform::CancellationError&) {
      // The schedule goes on: a check that is skipped could leave the copy uncleaned.
    }
    auto self = controller.lock();
    if (!self) co_return;
    self->clearUnlessCleaned();
  }
}

void clearFormattingAndPaste(PasteboardController& controller, const KeystrokePoster& post) {
  // The paste waits for the pass: the cleaned text must be there when the application reads the clipboard.
  controller.clearFormattingNow([post](ClearingOutcome) { post(pasteKeyCode); });
}

void toggleAutomaticallyClearFormatting() { kit::Preferences::toggle(Keys::automaticallyClearFormatting()); }

bool canClearFormattingNow(PasteboardController& controller) {
  return !kit::Preferences::get(Keys::automaticallyClearFormatting()) && controller.currentContent().has_value();
}

}  // namespace engine
