#pragma once

#include <functional>
#include <optional>
#include <unordered_set>
#include <vector>

#include "kit/shortcuts/name.h"
#include "kit/shortcuts/shortcut.h"
#include "platform/core/async_stream.h"
#include "platform/core/rx_cancellable.h"

namespace kit::GlobalShortcuts {

// The dispatch follows the storage (storedShortcutChanges) from its first use on: a name's new stored shortcut is
// held as a hot key, and its old one let go unless another name with closures or streams stores it.

// Closures run on key down or key up of the name's stored shortcut, in the order they were added, until
// removeAllHandlers(). A name without a shortcut yet starts firing once one is recorded. Main thread.
void onKeyDown(const Name& name, std::function<void()> action);
void onKeyUp(const Name& name, std::function<void()> action);
void removeAllHandlers();

// Registers (enable) or lets go of (disable) the stored shortcuts of the names; stored values, handlers and
// streams stay. Main thread.
void enable(const std::vector<Name>& names);
void disable(const std::vector<Name>& names);

// Every key down and key up of the name's shortcut, yielded on the main thread. May be created on any thread.
platform::AsyncStream<EventType> events(const Name& name);
// Only the events of one type.
platform::AsyncStream<EventType> events(EventType type, const Name& name);
// One empty element per event of that type. Created on the main thread.
platform::AsyncStream<platform::rx::Unit> eventSignals(EventType type, const Name& name);

// The dispatch given to the hot-key layer with every registration: runs the closures, then the streams, of
// every name whose stored shortcut is the fired one. Does nothing while a recorder records.
void handleOnKeyDown(const Shortcut& shortcut);
void handleOnKeyUp(const Shortcut& shortcut);

// Runs the name's key-down handlers as if its stored shortcut had been pressed.
void triggerKeyDown(const Name& name);

// True while a shortcut recorder records; dispatch is suppressed meanwhile.
bool isRecording();
void setIsRecording(bool recording);

// The stored shortcuts of the names with closures, and of the names with live streams.
std::unordered_set<Shortcut> handlerShortcuts();
std::unordered_set<Shortcut> streamShortcuts();
// Whether a name other than `excluding` with closures or streams stores the combination.
bool isUsedByHandlersOrStreams(const Shortcut& shortcut, const std::optional<Name>& excluding = std::nullopt);

}  // namespace kit::GlobalShortcuts
