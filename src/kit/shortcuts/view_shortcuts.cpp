#include "kit/shortcuts/view_shortcuts.h"

#include <QObject>

#include "kit/shortcuts/handlers.h"
#include "platform/core/executor.h"
#include "platform/core/task.h"

namespace kit::GlobalShortcuts {

namespace {

void consumeWhileAlive(QObject& owner, platform::AsyncStream<EventType> stream, std::function<void(EventType)> action) {
  auto task = platform::spawn(platform::mainExecutor(),
                              [stream = std::move(stream), action = std::move(action)]() -> platform::Task<void> {
                                while (auto event = co_await stream.next()) action(*event);
                              });
  // Cancelling ends the iteration, which ends the stream and with it its dispatch entries.
  QObject::connect(&owner, &QObject::destroyed, [task] { task.cancel(); });
}

}  // namespace

void onKeyboardShortcut(QObject& owner, const Name& name, std::function<void(EventType)> action) {
  consumeWhileAlive(owner, events(name), std::move(action));
}

void onKeyboardShortcut(QObject& owner, const Name& name, EventType type, std::function<void()> action) {
  consumeWhileAlive(owner, events(type, name), [action = std::move(action)](EventType) { action(); });
}

}  // namespace kit::GlobalShortcuts
