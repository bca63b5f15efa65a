#pragma once

#include "platform/core/task.h"

class QSystemTrayIcon;

namespace kit {

// After 0.1 s, points at the status item with a large greeting ("Hello, I'm " + the application's name) and gives
// the item's icon a short vertical shake (not when the desktop asks for less motion). It
// goes away on a click inside it, on a primary click on the item (which still does what that click does), or
// after 6 s; the task ends with the first of these, on a later turn of the main loop, and at once when the item is
// gone before the popover could show. Never fails; cancelling it does not shorten the wait. Main thread only.
platform::Task<void> showWelcomePopover(QSystemTrayIcon& item);

}  // namespace kit
