#include "engine/copy_and_clear.h"

#include "engine/pasteboard_markers.h"
#include "engine/preference_keys.h"
#include "engine/shortcut_names.h"
#include "kit/shortcuts/handlers.h"
#include "platform/core/error.h"
#include "platform/core/executor.h"
#include "platform/core/sleep.h"
#include "platform/system/synthetic_keys.h"

namespace engine {

namespace {

namespace Keys = kit::Preferences::Keys;

// Cleans the clipboard unless it holds our own write. The source application is looked up afresh, with the
// frontmost window as the last resort: the copy was made there a moment ago.
void clearUnlessCleaned(PasteboardController& controller) {
  // Reading another client's clipboard waits in an event loop of its own, where a later check can come due:
  // it runs once the pass in progress is done, so that checks never overlap.
  static bool isClearing = false;
  static bool checkAgain = false;
  if (isClearing) {
    checkAgain = true;
    return;
  }
  isClearing = true;
  do {
    checkAgain = false;
    if (!hasType(controller.pasteboard(), cleanedMarkerType())) {
      controller.pasteboardItemSourceApp = controller.sourceAppBundleIdentifier();
      controller.clearFormatting();
    }
  } while (checkAgain);
  isClearing = false;
}

}  // namespace

void postSyntheticKeystroke(uint16_t keyCode) { platform::SyntheticKeys::postCommandChord(keyCode); }

void copyAndClearFormatting(PasteboardController& controller, const KeystrokePoster& post) {
  post(copyKeyCode);
  // The application answers later; what is there now is the previous copy, cleaned only while it still is
  // there (the pass writes only if the clipboard has not changed since it read it).
  clearUnlessCleaned(controller);
  platform::spawn(platform::mainExecutor(), [weak = controller.weakSelf()] { return clearAfterCopy(weak); });
}

platform::Task<void> clearAfterCopy(std::weak_ptr<PasteboardController*> controller) {
  for (std::chrono::milliseconds wait : copyWaitSchedule) {
    try {
      co_await platform::sleepFor(wait);
    } catch (const platform::CancellationError&) {
      // The schedule goes on: a check that is skipped could leave the copy uncleaned.
    }
    auto self = controller.lock();
    if (!self) co_return;
    clearUnlessCleaned(**self);
  }
}

void clearFormattingAndPaste(PasteboardController& controller, const KeystrokePoster& post) {
  // The source application of an earlier change must not be taken for this content's.
  controller.pasteboardItemSourceApp.reset();
  controller.clearFormatting();
  post(pasteKeyCode);
}

void toggleAutomaticallyClearFormatting() {
  kit::Preferences::set(Keys::automaticallyClearFormatting(),
                        !kit::Preferences::get(Keys::automaticallyClearFormatting()));
}

bool canClearFormattingNow(PasteboardController& controller) {
  return !kit::Preferences::get(Keys::automaticallyClearFormatting()) && controller.currentContent().has_value();
}

void registerShortcutHandlers(PasteboardController& controller) {
  namespace Names = kit::GlobalShortcuts::Names;
  auto weak = controller.weakSelf();
  kit::GlobalShortcuts::onKeyUp(Names::copyAndClearFormatting(), [weak] {
    if (auto self = weak.lock()) copyAndClearFormatting(**self);
  });
  kit::GlobalShortcuts::onKeyUp(Names::clearFormatting(), [weak] {
    if (auto self = weak.lock()) clearFormattingAndPaste(**self);
  });
  kit::GlobalShortcuts::onKeyUp(Names::toggleAutomaticallyClearFormatting(),
                                [] { toggleAutomaticallyClearFormatting(); });
}

}  // namespace engine
