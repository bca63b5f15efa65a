#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/pasteboard/pasteboard.h"

namespace engine {

// The copy that a synthetic Ctrl+C asks for: what the clipboard held at the key press (its change count), or a copy
// made since by the application the keystroke went to (none when it cannot be told).
struct AskedCopy {
  int64_t countAtPress = 0;
  uint64_t ownerChangeAtPress = 0;  // the pasteboard's last owner change at the press
  std::optional<std::string> application;
};

// Clipboard managers that keep the clipboard alive take over each copy right after it is made, sooner than a person
// can switch to another application and copy there: an owner change this soon after the asked application's copy is
// such a take-over, and the copy stays the asked application's.
inline constexpr std::chrono::milliseconds takeOverWindow{250};

// What the current content, a copy made since the key press, is to the copy asked for.
enum class AskedCopyMatch {
  another,    // another application's copy, or another client's take over of one
  asked,      // the asked application's copy, or one whose application cannot be told
  takenOver,  // the asked application's copy, taken over by another client (a clipboard manager) right after
};
AskedCopyMatch matchAskedCopy(platform::Pasteboard& pasteboard, const AskedCopy& copy);

}  // namespace engine
