#pragma once

#include <functional>

class QSystemTrayIcon;

namespace kit {

// After 0.1 s, points at the status item with a large greeting ("Hello, I'm " + the application's name) and gives
// the item's icon a short vertical shake (not when the desktop asks for less motion). It
// goes away on a click inside it, on a primary click on the item (which still does what that click does), or
// after 6 s; `completion` then runs once, on a later turn of the main loop. Main thread only.
void showWelcomePopover(QSystemTrayIcon& item, std::function<void()> completion);

}  // namespace kit
