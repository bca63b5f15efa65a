#pragma once

#include <functional>

#include "kit/shortcuts/name.h"
#include "kit/shortcuts/shortcut.h"

class QWidget;

namespace kit::GlobalShortcuts {

// Calls `action` with every key down and key up of the name's shortcut for as long as `view` is on screen: from
// each showing of the view (at once when it is shown already) to its hiding, and never after it is gone. Main thread.
void onKeyboardShortcut(QWidget& view, const Name& name, std::function<void(EventType)> action);
// The same for one event type only.
void onKeyboardShortcut(QWidget& view, const Name& name, EventType type, std::function<void()> action);

}  // namespace kit::GlobalShortcuts
