#pragma once

#include <vector>

#include "kit/foundation/reactive_observables.h"
#include "platform/core/rx.h"
#include "platform/pasteboard/pasteboard.h"

namespace kit {

// A pasteboard for views: each change of its content is announced through objectWillChange. With
// `onlyWhenAppIsActive`, changes are announced only while this application is the frontmost one; a change made
// while it was not is announced once when it becomes frontmost again. Main thread.
class PasteboardSimpleObservable : public ObservableObject {
 public:
  explicit PasteboardSimpleObservable(platform::Pasteboard& pasteboard, bool onlyWhenAppIsActive = false);

  platform::Pasteboard& pasteboard() const { return pasteboard_; }
  bool onlyWhenAppIsActive() const { return onlyWhenAppIsActive_; }

 private:
  void pasteboardChanged();
  void applicationEvent();

  std::vector<platform::rx::AnyCancellable> cancellables_;
  platform::rx::AnyCancellable pasteboardPublisherCancellable_;
  bool onlyWhenAppIsActive_;
  platform::Pasteboard& pasteboard_;
  bool missedChange_ = false;
};

}  // namespace kit
