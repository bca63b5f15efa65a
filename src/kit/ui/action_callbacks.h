#pragma once

#include <functional>
#include <optional>

#include "platform/system/input_event.h"

class QAbstractButton;
class QAction;

namespace kit {

// What a control runs when it is used, with the input event that used it.
using ActionHandler = std::function<void(const platform::Event&)>;

// Runs `handler` when the button is clicked or the action triggered, in place of any handler set before (which is
// released; a handler that sets the new one while it runs is released once it returns). The handler gets the mouse
// or key event being handled; when the control is used from code outside input handling, a synthetic left-mouse-down
// event. The control keeps the handler; the handler does not keep the control. Main thread only.
void setOnAction(QAbstractButton& button, ActionHandler handler);
void setOnAction(QAction& action, ActionHandler handler);

// The mouse button or key event the application is handling right now; none outside input handling.
std::optional<platform::Event> currentEvent();

// A check box or toggle button as a Boolean: a mixed (partially checked) state reads true.
bool boolValue(const QAbstractButton& button);
void setBoolValue(QAbstractButton& button, bool value);

}  // namespace kit
