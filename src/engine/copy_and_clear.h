#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>

#include "engine/pasteboard_controller.h"
#include "platform/core/task.h"

// The three shortcut commands that act on the clipboard: copy and clear, clear and paste, and the toggle of
// automatic clearing. They work whether or not automatic clearing is on. Main thread only.
namespace engine {

// Key codes of the synthetic chords: the keys that type "c" and "v".
inline constexpr uint16_t copyKeyCode = 8;
inline constexpr uint16_t pasteKeyCode = 9;

// The checks after a synthetic copy, each after a sleep of this length (about 1.17 s in all). Applications
// answer Ctrl+C at their own pace; a copy arriving later than that stays for the watcher.
inline constexpr std::array<std::chrono::milliseconds, 6> copyWaitSchedule{
    std::chrono::milliseconds(20),  std::chrono::milliseconds(50),  std::chrono::milliseconds(100),
    std::chrono::milliseconds(200), std::chrono::milliseconds(300), std::chrono::milliseconds(500)};
// How long, after the last check, a copy made within the schedule may take to be read before it is left as it is.
inline constexpr std::chrono::milliseconds copyReadPatience{3000};

// Sends Ctrl plus the key to the focused application.
using KeystrokePoster = std::function<void(uint16_t keyCode)>;
void postSyntheticKeystroke(uint16_t keyCode);

// Makes the focused application copy and checks after each wait of `copyWaitSchedule`: its copy is cleaned at the check
// after it came, also when a clipboard manager took it over right after; what was on the clipboard before, unless we
// cleaned it already, at the last check. A copy made meanwhile in another application is not the one asked for: it is
// left as it is (the watcher decides on it when it runs).
void copyAndClearFormatting(PasteboardController& controller, const KeystrokePoster& post = postSyntheticKeystroke);
// The follow-up of a synthetic copy: all six checks always run; our own marker makes the later ones idle. A copy made
// within them that is still being read at the last is cleaned once read, within `copyReadPatience`; when it does not
// come by then, the log says so.
platform::Task<void> clearAfterCopy(std::weak_ptr<PasteboardController> controller, AskedCopy copy);

// Cleans the clipboard (when there is anything to clean), then, once the pass has written or found nothing to write,
// makes the focused application paste.
void clearFormattingAndPaste(PasteboardController& controller, const KeystrokePoster& post = postSyntheticKeystroke);

// Flips "automaticallyClearFormatting"; the controller's watcher follows the preference.
void toggleAutomaticallyClearFormatting();

// Whether the status menu may offer clearing now: automatic clearing is off and there is content to clean.
bool canClearFormattingNow(PasteboardController& controller);

}  // namespace engine
