#include "kit/foundation/pasteboard_observable.h"

#include <unistd.h>

#include "kit/foundation/system_event_publishers.h"
#include "platform/system/workspace.h"

namespace kit {

namespace {

bool isFrontmost() {
  auto frontmost = platform::Workspace::shared().frontmostApplication();
  return frontmost && frontmost->pid == getpid();
}

}  // namespace

PasteboardSimpleObservable::PasteboardSimpleObservable(platform::Pasteboard& pasteboard, bool onlyWhenAppIsActive)
    : onlyWhenAppIsActive_(onlyWhenAppIsActive), pasteboard_(pasteboard) {
  pasteboardPublisherCancellable_ = pasteboard.changes().sink([this](const int64_t&) { pasteboardChanged(); });
  if (onlyWhenAppIsActive)
    cancellables_.push_back(
        applicationEventsPublisher().sink([this](const platform::rx::Unit&) { applicationEvent(); }));
}

void PasteboardSimpleObservable::pasteboardChanged() {
  if (onlyWhenAppIsActive_ && !isFrontmost()) {
    missedChange_ = true;
    return;
  }
  objectWillChange.send(platform::rx::Unit{});
}

void PasteboardSimpleObservable::applicationEvent() {
  if (!missedChange_ || !isFrontmost()) return;
  missedChange_ = false;
  objectWillChange.send(platform::rx::Unit{});
}

}  // namespace kit
