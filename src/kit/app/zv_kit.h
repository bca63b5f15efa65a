#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "kit/app/launch_chord.h"
#include "platform/core/executor.h"
#include "platform/prefs/user_defaults.h"
#include "platform/system/rect.h"
#include "platform/url/url.h"

namespace kit {

// What the kit's start-up does for the launch chords: by default the user debug window, the offer to delete the
// settings and data, and the first read of isDebugModifierChordHeld(). Tests replace them before the kit starts;
// an empty one does nothing.
struct KitLaunchHooks {
  std::function<void()> showUserDebugWindow;
  // Asks whether to delete the settings and data when the reset chord is held (tests the chord itself).
  std::function<void()> offerDataResetAtLaunch;
  // Adds the debug entries when isDebugModifierChordHeld() is true.
  std::function<void()> addDebugMenuIfNeeded;
};
KitLaunchHooks& kitLaunchHooks();

// Closures run in order by the kit's post-launch block.
std::vector<std::function<void()>>& finishLaunchingHandlers();

// The kit's one object per process. Creating it is the kit's start-up: it counts the launch in its suite, takes the
// launch facts, reacts to the launch chords, queues the post-launch work on the main queue and the removal of
// leftovers on a background thread.
class ZvKit {
 public:
  // The product's record.
  struct Metadata {
    // The product's page on the maker's web site.
    platform::Url website;
    // The product's identifier in an application store: none, as it is sold in none.
    std::optional<std::string> appStoreId;

    // Made once, on first use, from the compiled-in constants.
    static const Metadata& current();
  };

  // What the start-up reads and where it queues its work.
  struct Environment {
    platform::UserDefaults& suite;
    uint64_t modifierFlags = 0;
    platform::Executor& mainQueue;
    // Reads the process's other launch facts, so that they keep their launch-time values.
    std::function<void()> takeLaunchFacts;
    // Reads how the process was started (at login, by which process), once launching has finished.
    std::function<void()> takeFinishedLaunchingFacts;
    // Removes what earlier runs left behind for a while (files handed to a mail program); runs off the main thread,
    // possibly while the program ends, so it touches nothing that the end of the program destroys.
    std::function<void()> removeLeftovers;
  };

  // The instance on the standard preferences, made on first use on the main thread.
  static ZvKit& shared();

  explicit ZvKit(const Environment& environment);
  ZvKit(const ZvKit&) = delete;
  ZvKit& operator=(const ZvKit&) = delete;

  // The number of this launch, counted over the life of the installation (1 on the very first): the start-up adds one
  // to the count stored in its suite and stores the sum.
  int64_t launchCount() const { return launchCount_; }

 private:
  int64_t launchCount_ = 0;
};

// Shift + Super held at its first read (the post-launch block); kept for the run.
bool isDebugModifierChordHeld();
// True once the post-launch block ran.
bool didFinishKitLaunch();
// The frame of the first window that became the main window after launch (a normal window that took the focus once
// the first second had passed), once there was one.
std::optional<platform::Rect> firstMainWindowFrame();

}  // namespace kit
