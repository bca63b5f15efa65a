#include "kit/shortcuts/handlers.h"

#include <atomic>
#include <map>
#include <utility>

#include "kit/shortcuts/carbon_global_shortcuts.h"
#include "kit/shortcuts/storage.h"
#include "platform/core/executor.h"

namespace kit::GlobalShortcuts {

namespace {

using Action = std::function<void()>;
// Names in the order they first got a closure.
using HandlerTable = std::vector<std::pair<Name, std::vector<Action>>>;
// Per name, one yielding closure per live stream.
using StreamTable = std::vector<std::pair<Name, std::map<uint64_t, Action>>>;

struct Tables {
  HandlerTable keyDownHandlers, keyUpHandlers;
  StreamTable streamKeyDownHandlers, streamKeyUpHandlers;
  bool isRecording = false;
  platform::rx::AnyCancellable storageSubscription;
};

void followStoredChange(const StoredShortcutChange& change);

// Made on first use, when it starts following the storage: from then on the hot keys follow every stored change.
Tables& tables() {
  static auto* t = [] {
    auto* made = new Tables();  // lives as long as the process, as does its subscription
    made->storageSubscription = storedShortcutChanges().sink(followStoredChange);
    return made;
  }();
  return *t;
}

// Registers the combination with the dispatch callbacks unless it is already held; a refused registration is
// not recorded, so the next attempt tries again.
void registerIfNeeded(const Shortcut& shortcut) {
  if (registeredShortcuts().count(shortcut) != 0) return;
  CarbonGlobalShortcuts::registerShortcut(shortcut, handleOnKeyDown, handleOnKeyUp);
}

// A name's stored shortcut was replaced: the old combination is let go unless another name with handlers or
// streams stores it, and the new one is held.
void followStoredChange(const StoredShortcutChange& change) {
  if (change.oldValue && !isUsedByHandlersOrStreams(*change.oldValue, change.name)) {
    CarbonGlobalShortcuts::unregister(*change.oldValue);
  }
  if (change.newValue) registerIfNeeded(*change.newValue);
}

uint64_t newStreamId() {
  static std::atomic<uint64_t> counter{0};
  return ++counter;
}

template <class Table>
auto& entryOf(Table& table, const Name& name) {
  for (auto& entry : table) {
    if (entry.first == name) return entry.second;
  }
  return table.emplace_back(name, typename Table::value_type::second_type{}).second;
}

void addHandler(HandlerTable& table, const Name& name, Action action) {
  entryOf(table, name).push_back(std::move(action));
  if (auto shortcut = getShortcut(name)) registerIfNeeded(*shortcut);
}

void addStreamEntry(StreamTable& table, const Name& name, uint64_t id, Action yield) {
  entryOf(table, name).emplace(id, std::move(yield));
}

void removeStreamEntry(StreamTable& table, const Name& name, uint64_t id) {
  for (auto it = table.begin(); it != table.end(); ++it) {
    if (it->first != name) continue;
    it->second.erase(id);
    if (it->second.empty()) table.erase(it);
    return;
  }
}

void cleanUpStream(const Name& name, uint64_t id, bool keyDown, bool keyUp) {
  if (keyDown) removeStreamEntry(tables().streamKeyDownHandlers, name, id);
  if (keyUp) removeStreamEntry(tables().streamKeyUpHandlers, name, id);
  auto shortcut = getShortcut(name);
  if (!shortcut) return;
  if (handlerShortcuts().count(*shortcut) == 0 && streamShortcuts().count(*shortcut) == 0)
    CarbonGlobalShortcuts::unregister(*shortcut);
}

// The names of the tables, but `excluding`.
template <class... Tables>
std::vector<Name> namesOf(const std::optional<Name>& excluding, const Tables&... tables) {
  std::vector<Name> names;
  auto collect = [&](const auto& table) {
    for (const auto& entry : table) {
      if (!excluding || entry.first != *excluding) names.push_back(entry.first);
    }
  };
  (collect(tables), ...);
  return names;
}

std::unordered_set<Shortcut> storedShortcutSet(const std::vector<Name>& names) {
  const std::vector<Shortcut> stored = storedShortcuts(names);
  return {stored.begin(), stored.end()};
}

void dispatch(const Shortcut& shortcut, const HandlerTable& handlerTable, const StreamTable& streamTable) {
  if (tables().isRecording) return;
  // Each walk sees its table as it was when the walk began; stored shortcuts are read as each name is reached.
  // NOLINTNEXTLINE(performance-unnecessary-copy-initialization): an action may change the table
  const HandlerTable handlers = handlerTable;
  for (const auto& [name, actions] : handlers) {
    if (getShortcut(name) != shortcut) continue;
    for (const auto& action : actions) action();
  }
  // NOLINTNEXTLINE(performance-unnecessary-copy-initialization): an action may change the table
  const StreamTable streams = streamTable;
  for (const auto& [name, yields] : streams) {
    if (getShortcut(name) != shortcut) continue;
    for (const auto& [id, yield] : yields) yield();
  }
}

}  // namespace

void onKeyDown(const Name& name, std::function<void()> action) {
  addHandler(tables().keyDownHandlers, name, std::move(action));
}

void onKeyUp(const Name& name, std::function<void()> action) {
  addHandler(tables().keyUpHandlers, name, std::move(action));
}

void removeAllHandlers() {
  const std::unordered_set<Shortcut> streams = streamShortcuts();
  for (const Shortcut& shortcut : handlerShortcuts()) {
    if (streams.count(shortcut) != 0) continue;
    CarbonGlobalShortcuts::unregister(shortcut);
  }
  tables().keyDownHandlers.clear();
  tables().keyUpHandlers.clear();
}

void enable(const std::vector<Name>& names) {
  (void)tables();  // follows the storage from now on
  for (const Name& name : names) {
    if (auto shortcut = getShortcut(name)) registerIfNeeded(*shortcut);
  }
}

void disable(const std::vector<Name>& names) {
  for (const Name& name : names) {
    auto shortcut = getShortcut(name);
    if (!shortcut) continue;
    CarbonGlobalShortcuts::unregister(*shortcut);
  }
}

namespace {

platform::AsyncStream<EventType> makeEventStream(const Name& name, std::optional<EventType> only) {
  return platform::AsyncStream<EventType>([&](const platform::AsyncStream<EventType>::Continuation& continuation) {
    const uint64_t id = newStreamId();
    platform::mainExecutor().post([name, id, continuation, only] {
      if (!only || *only == EventType::keyDown) {
        addStreamEntry(tables().streamKeyDownHandlers, name, id,
                       [continuation] { continuation.yield(EventType::keyDown); });
      }
      if (!only || *only == EventType::keyUp) {
        addStreamEntry(tables().streamKeyUpHandlers, name, id,
                       [continuation] { continuation.yield(EventType::keyUp); });
      }
      if (auto shortcut = getShortcut(name)) registerIfNeeded(*shortcut);
    });
    continuation.onTermination([name, id](platform::StreamTermination) {
      platform::mainExecutor().post([name, id] { cleanUpStream(name, id, true, true); });
    });
  });
}

}  // namespace

platform::AsyncStream<EventType> events(const Name& name) { return makeEventStream(name, std::nullopt); }

platform::AsyncStream<EventType> events(EventType type, const Name& name) { return makeEventStream(name, type); }

platform::AsyncStream<platform::rx::Unit> eventSignals(EventType type, const Name& name) {
  using Stream = platform::AsyncStream<platform::rx::Unit>;
  return Stream([&](const Stream::Continuation& continuation) {
    const uint64_t id = newStreamId();
    const bool keyDown = type == EventType::keyDown;
    addStreamEntry(keyDown ? tables().streamKeyDownHandlers : tables().streamKeyUpHandlers, name, id,
                   [continuation] { continuation.yield(platform::rx::Unit{}); });
    if (auto shortcut = getShortcut(name)) registerIfNeeded(*shortcut);
    // The stream may end on any thread; the tables belong to the main thread.
    continuation.onTermination([name, id, keyDown](platform::StreamTermination) {
      platform::mainExecutor().post([name, id, keyDown] { cleanUpStream(name, id, keyDown, !keyDown); });
    });
  });
}

void handleOnKeyDown(const Shortcut& shortcut) {
  dispatch(shortcut, tables().keyDownHandlers, tables().streamKeyDownHandlers);
}

void handleOnKeyUp(const Shortcut& shortcut) {
  dispatch(shortcut, tables().keyUpHandlers, tables().streamKeyUpHandlers);
}

void triggerKeyDown(const Name& name) {
  if (auto shortcut = getShortcut(name)) handleOnKeyDown(*shortcut);
}

bool isRecording() { return tables().isRecording; }

void setIsRecording(bool recording) { tables().isRecording = recording; }

std::unordered_set<Shortcut> handlerShortcuts() {
  return storedShortcutSet(namesOf(std::nullopt, tables().keyDownHandlers, tables().keyUpHandlers));
}

std::unordered_set<Shortcut> streamShortcuts() {
  return storedShortcutSet(namesOf(std::nullopt, tables().streamKeyDownHandlers, tables().streamKeyUpHandlers));
}

bool isUsedByHandlersOrStreams(const Shortcut& shortcut, const std::optional<Name>& excluding) {
  const Tables& t = tables();
  return storedShortcutSet(
             namesOf(excluding, t.keyDownHandlers, t.keyUpHandlers, t.streamKeyDownHandlers, t.streamKeyUpHandlers))
             .count(shortcut) != 0;
}

}  // namespace kit::GlobalShortcuts
