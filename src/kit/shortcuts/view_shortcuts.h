#pragma once

#include <functional>

#include "kit/shortcuts/name.h"
#include "kit/shortcuts/shortcut.h"

class QObject;

namespace kit::GlobalShortcuts {

// Calls `action` with every key down and key up of the name's shortcut for as long as `owner` exists; the
// subscription ends with the owner (typically a widget on screen). Main thread.
void onKeyboardShortcut(QObject& owner, const Name& name, std::function<void(EventType)> action);
// The same for one event type only.
void onKeyboardShortcut(QObject& owner, const Name& name, EventType type, std::function<void()> action);

}  // namespace kit::GlobalShortcuts
