#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/pasteboard/pasteboard.h"

// On X11 a copy lives only as long as the client that serves it. The clipboard keeper is a small program of its own
// (quillet-clipboard-keeper, beside the program) that takes our last copy over when the program quits without a
// clipboard manager to hand it to, and serves it until another client copies.
namespace platform::clipboardkeeper {

inline constexpr const char* executableName = "quillet-clipboard-keeper";
// The descriptor on which the keeper finds the content.
inline constexpr int contentDescriptor = 3;

// Starts the keeper, detached, with the X11 targets and their bytes, to take the clipboard as long as nobody took it
// after `takenAt` (the server time at which our content took it). False when it could not be started.
bool start(const std::vector<PasteboardEntry>& targets, uint32_t takenAt);

// The keeper's own work: reads the content from `contentDescriptor`, takes the clipboard unless another client took
// it after `takenAt`, and serves it until another client takes it or the X server goes. The exit status.
int run(uint32_t takenAt);

// The content as the keeper receives it, and back.
std::string encode(const std::vector<PasteboardEntry>& targets);
std::vector<PasteboardEntry> decode(const std::string& bytes);

}  // namespace platform::clipboardkeeper
