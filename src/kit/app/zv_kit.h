#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "platform/core/executor.h"
#include "platform/prefs/user_defaults.h"
#include "platform/system/geometry.h"

namespace kit {

// Modifier chords held while the program starts. A chord holds when the held modifiers, without Caps Lock,
// the numeric pad and Function, are exactly its keys (Control is Super here, Option is Alt, Command is Ctrl).
namespace LaunchChord {
inline constexpr uint64_t userDebugWindow = 0xe0000;  // Shift + Super + Alt
inline constexpr uint64_t dataReset = 0x1e0000;       // Shift + Super + Alt + Ctrl
inline constexpr uint64_t debugMenu = 0x60000;        // Shift + Super
bool isHeld(uint64_t chord, uint64_t modifierFlags);
}  // namespace LaunchChord

// What the kit's start-up does for the launch chords: by default the user debug window, the offer to delete the
// settings and data, and the first read of isDebugModifierChordHeld(). Tests replace them before the kit starts;
// an empty one does nothing.
struct KitLaunchHooks {
  std::function<void()> showUserDebugWindow;
  // Asks whether to delete the settings and data when the reset chord is held (tests the chord itself).
  std::function<void()> offerDataResetAtLaunch;
  // Adds the debug entries when isDebugModifierChordHeld() is true.
  std::function<void()> addDebugMenuIfRequested;
};
KitLaunchHooks& kitLaunchHooks();

// Closures run in order by the kit's post-launch block.
std::vector<std::function<void()>>& postLaunchHandlers();

// The kit's one object per process. Creating it is the kit's start-up: it counts the launch, takes the
// launch facts, reacts to the launch chords and queues the post-launch work on the main queue.
class ZvKit {
 public:
  // What the start-up reads and where it queues its work.
  struct Environment {
    platform::UserDefaults& suite;
    uint64_t modifierFlags = 0;
    platform::Executor& mainQueue;
    // Reads the process's launch facts so that they keep their launch-time values.
    std::function<void()> takeLaunchFacts;
    // Reads how the process was started (at login, by which process), once launching has finished.
    std::function<void()> takeFinishedLaunchingFacts;
  };

  // The instance on the standard preferences, made on first use on the main thread.
  static ZvKit& shared();

  explicit ZvKit(const Environment& environment);
  ZvKit(const ZvKit&) = delete;
  ZvKit& operator=(const ZvKit&) = delete;

  // The number of this launch, counted over the life of the installation; 1 on the very first launch.
  int64_t launchCount() const { return launchCount_; }

 private:
  int64_t launchCount_ = 0;
};

// Shift + Super held at its first read (the post-launch block); kept for the run.
bool isDebugModifierChordHeld();
// True once the post-launch block ran.
bool didFinishKitLaunch();
// The frame of the first window that became active after launch, once there was one.
std::optional<platform::Rect> firstMainWindowFrame();

}  // namespace kit
