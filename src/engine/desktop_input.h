#pragma once

#include <cstdint>
#include <optional>

#include "engine/clipboard_loop_guard.h"

namespace engine {

// The person's input anywhere on the desktop, as the loop guard reads it. Where the presses of other applications
// cannot be seen, the log says so once: repeated copies are then told apart by time alone. Main thread only.
class DesktopInput final : public ClipboardLoopGuard::Input {
 public:
  static DesktopInput& shared();

  std::optional<uint64_t> pressesSoFar() override;
  bool keyHeld() override;

 private:
  bool toldUnseen_ = false;
};

}  // namespace engine
