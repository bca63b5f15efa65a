#include "engine/copy_and_clear.h"

#include "engine/preference_keys.h"
#include "kit/preferences/key.h"
#include "platform/core/error.h"
#include "platform/core/executor.h"
#include "platform/core/sleep.h"
#include "platform/system/synthetic_keys.h"
#include "platform/system/workspace.h"

namespace engine {

namespace Keys = kit::Preferences::Keys;

void postSyntheticKeystroke(uint16_t keyCode) { platform::SyntheticKeys::postCommandChord(keyCode); }

void copyAndClearFormatting(PasteboardController& controller, const KeystrokePoster& post) {
  // The keystroke goes to the window with the keyboard focus: its application's copy is the one asked for.
  platform::Pasteboard& pasteboard = controller.pasteboard();
  AskedCopy copy{pasteboard.changeCount(), pasteboard.lastOwnerChange(), std::nullopt};
  if (auto focused = platform::Workspace::shared().frontmostApplication()) copy.application = focused->bundleIdentifier;
  post(copyKeyCode);
  platform::spawn(platform::mainExecutor(),
                  [weak = controller.weakSelf(), copy] { return clearAfterCopy(weak, copy); });
}

platform::Task<void> clearAfterCopy(std::weak_ptr<PasteboardController> controller, AskedCopy copy) {
  std::optional<int64_t> passedOn;  // the change the last pass was asked for: each change needs one
  for (size_t check = 0; check < copyWaitSchedule.size(); ++check) {
    try {
      co_await platform::sleepFor(copyWaitSchedule[check]);
    } catch (const platform::CancellationError&) {
      // The schedule goes on: a check that is skipped could leave the copy uncleaned.
    }
    auto self = controller.lock();
    if (!self) co_return;
    // Nothing is written while the application may still be answering the keystroke: a client that takes the
    // clipboard back on it and hears only afterwards that a write of ours took it from it drops its new copy, and
    // keeps offering nothing. Its copy is cleaned at the first check after it; what was there before, at the last.
    const bool lastCheck = check + 1 == copyWaitSchedule.size();
    const int64_t count = self->pasteboard().changeCount();
    if ((lastCheck || count != copy.countAtPress) && count != passedOn) {
      passedOn = count;
      self->clearAskedCopy(copy);
    }
  }
  // An application that copied within the schedule may be slow to let its copy be read: it is cleaned once read.
  if (auto self = controller.lock()) {
    self->whenCopyIsHandedOver(copyReadPatience, [controller, copy, passedOn](bool handedOver) {
      auto self = controller.lock();
      if (self && handedOver && self->pasteboard().changeCount() != passedOn) self->clearAskedCopy(copy);
    });
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
