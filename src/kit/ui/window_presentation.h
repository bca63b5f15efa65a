#pragma once

#include <chrono>
#include <optional>

#include "platform/core/task.h"

class QWidget;

namespace kit {

// How a window comes in.
struct WindowShowOptions {
  bool animated = false;
  // Gives the window the keyboard focus (else it is only raised).
  bool makeKey = true;
  std::chrono::milliseconds duration{500};
  std::chrono::milliseconds delay{0};
};

// Shows and raises the window. Animated, it comes in transparent and, 100 ms plus the delay later, fades in over
// the duration (at once when the desktop asks for less motion). Ends when the window is fully shown; a
// cancelled task leaves it shown and opaque, never invisible yet clickable. Main thread.
platform::Task<void> showWindow(QWidget& window, WindowShowOptions options = {});

// Places the window where the desktop's own windows first come up: centred in the available area of the screen
// under the pointer, else of the primary screen; one larger than the area starts at the area's top-left corner.
void centerOnScreen(QWidget& window);

// Closes the window when it is visible and active; otherwise brings the application forward and shows it.
void toggle(QWidget& window);
// Closes a visible window, active or not (hides it without a close event when `forceClose`); otherwise as toggle.
void toggle2(QWidget& window, bool forceClose);

// The stacking layers an X11 window manager keeps: below normal windows, normal, and above them (floating and
// utility windows both stay above).
enum class WindowLevel { desktop, normal, floating, utility };
void setWindowLevel(QWidget& window, WindowLevel level);

// Whether the desktop asks for less motion (animations switched off in its settings). Tests fix the answer.
bool prefersReducedMotion();
void setPrefersReducedMotionForTesting(std::optional<bool> value);

}  // namespace kit
