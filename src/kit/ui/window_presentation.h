#pragma once

#include <QEasingCurve>
#include <Qt>
#include <chrono>
#include <functional>
#include <optional>

#include "kit/foundation/timing_curves.h"
#include "platform/core/task.h"

class QMargins;
class QWidget;

namespace kit {

// How a window comes in.
struct WindowShowOptions {
  bool animated = false;
  // Gives the window the keyboard focus (else it is only raised).
  bool makeKey = true;
  std::chrono::milliseconds duration{500};
  std::chrono::milliseconds delay{0};
  // The pace of the fade: a curve that lives until the window is shown, such as the kit's own. Held by reference,
  // the options stay trivially destructible, as temporaries in a co_await expression must be (GCC 12 destroys
  // those twice).
  std::reference_wrapper<const QEasingCurve> timingFunction = defaultTimingCurve();
};

// Brings the window to the front, the one way every window of ours comes forward: shows it, mapping it again when it
// was minimised (maximised or full screen it stays so), raises it and, with `makeKey`, gives it the keyboard focus.
// The windows it belongs to come back under it and its own shown windows (a sheet, an alert) above it; a modal one
// among these takes the focus, since the window it blocks cannot. Main thread.
void orderFront(QWidget& window, bool makeKey = true);

// Brings the window to the front (see orderFront). Animated, it comes in transparent and, 100 ms plus the delay later,
// fades in over the duration at the pace of the timing function (at once when the desktop asks for less motion). Ends
// when the window is fully shown; a cancelled task leaves it shown and opaque, never invisible yet clickable. Main
// thread.
platform::Task<void> showWindow(QWidget& window, WindowShowOptions options = {});

// Places the window where the desktop's own windows first come up: centred in the available area of the screen
// under the pointer, else of the primary screen; one larger than the area starts at the area's top-left corner.
void centerOnScreen(QWidget& window);

// Places the panel's own area (inside its frame) centred on the own area of the window it belongs to, and keeps the
// frame, taken as thick as the window's, inside the available area of the window's screen. The frames are the window
// manager's, and a window that was never shown does not know its own yet, so every placement goes by own areas.
void centerOver(QWidget& panel, const QWidget& window);

// How far the window manager's frame reaches beyond the window's own area on each side (none without a frame).
QMargins frameMargins(const QWidget& window);

// Closes the window when it is visible and active, as its close button would (see performClose); otherwise brings the
// application forward and shows it.
void toggle(QWidget& window);
// Closes a window on the screen, active or not, as its close button would; otherwise, also when it is minimised, as
// toggle. With `forceClose` the
// window cannot refuse: it is told of the close as always (and may save its place), then hidden, and released when it
// is deleted on close, as after a close it accepts.
void toggle2(QWidget& window, bool forceClose);

// The stacking layers an X11 window manager keeps: below normal windows, normal, and above them (floating and
// utility windows both stay above).
enum class WindowLevel { desktop, normal, floating, utility };
void setWindowLevel(QWidget& window, WindowLevel level);
// Gives a window other flags and leaves it on the screen as it was: Qt takes a shown window off the screen to
// change them, so it is shown again in the same place; one still on its way to the screen takes them in place.
void changeWindowFlags(QWidget& window, Qt::WindowFlags flags);

// Whether the desktop asks for less motion (animations switched off in its settings). Tests fix the answer.
bool prefersReducedMotion();
void setPrefersReducedMotionForTesting(std::optional<bool> value);

}  // namespace kit
