#include "kit/foundation/expiring_cache.h"

#include <atomic>
#include <mutex>

#include "platform/core/error.h"
#include "platform/core/log_sink.h"
#include "platform/core/sleep.h"
#include "platform/core/task.h"

namespace kit {

namespace {

struct Maintenance {
  std::mutex mutex;
  bool skips = true;
  Date lastCleanup{};  // the distant past
  Date lastSchedule{};
  platform::Task<> cleanupTask;
};

Maintenance& maintenance() {
  static auto* state = new Maintenance;  // never released: a delayed sweep may still run at exit
  return *state;
}

}  // namespace

ExpiringCacheStorage& expiringCacheStorage() {
  static auto* storage = new ExpiringCacheStorage;
  return *storage;
}

namespace detail {

AggregateHashable expiringCacheKey(const std::source_location& site, const std::type_info& result,
                                   std::vector<AnyHashable> arguments) {
  std::vector<AnyHashable> elements{
      AnyHashable(std::string(site.file_name())), AnyHashable(std::string(site.function_name())),
      AnyHashable(static_cast<uint32_t>(site.line())), AnyHashable(static_cast<uint32_t>(site.column())),
      AnyHashable(std::string(result.name()))};
  for (auto& argument : arguments) elements.push_back(std::move(argument));
  return AggregateHashable(std::move(elements));
}

bool expiringCacheEntryIsValid(const ExpiringCacheEntry& entry, Duration lifetime) {
  return adding(entry.stamp, toTimeInterval(lifetime)) > platform::clock().now();
}

}  // namespace detail

void cleanUpExpiringCache(Duration olderThan) {
  ExpiringCacheStorage& storage = expiringCacheStorage();
  TimeInterval lifetime = toTimeInterval(olderThan);
  Date now = platform::clock().now();
  for (const auto& [key, entry] : storage) {
    if (adding(entry.stamp, lifetime) >= now) continue;
    Date stamp = entry.stamp;
    // An entry stored again since the iteration began has a new stamp and stays.
    storage.modify(key, [&](std::optional<ExpiringCacheEntry>& current) {
      if (current && current->stamp == stamp) current.reset();
    });
  }
  std::lock_guard lock(maintenance().mutex);
  maintenance().lastCleanup = platform::clock().now();
}

void scheduleExpiringCacheCleanup(Duration olderThan) {
  Maintenance& state = maintenance();
  std::lock_guard lock(state.mutex);
  state.cleanupTask.cancel();
  state.cleanupTask = platform::spawnDetached(platform::Priority::utility, [olderThan]() -> platform::Task<> {
    try {
      co_await platform::sleepFor(std::chrono::seconds(10));
    } catch (const platform::CancellationError&) {
      co_return;
    }
    cleanUpExpiringCache(olderThan);
    platform::printLineToStandardOutput("CLEANUP");
  });
  state.lastSchedule = platform::clock().now();
}

void cleanUpExpiringCacheIfNeeded(Duration olderThan) {
  Maintenance& state = maintenance();
  bool sweepNow = false, schedule = false;
  {
    std::lock_guard lock(state.mutex);
    bool skipped = state.skips;
    state.skips = !skipped;
    if (skipped) return;
    if (!isWithin(state.lastCleanup, -std::chrono::seconds(60))) {
      sweepNow = true;
    } else if (!isWithin(state.lastSchedule, -std::chrono::seconds(2))) {
      schedule = true;
    }
  }
  if (sweepNow) {
    cleanUpExpiringCache(olderThan);
  } else if (schedule) {
    scheduleExpiringCacheCleanup(olderThan);
  }
}

void resetExpiringCacheForTesting() {
  for (const auto& key : expiringCacheStorage().keys()) expiringCacheStorage().set(key, std::nullopt);
  Maintenance& state = maintenance();
  std::lock_guard lock(state.mutex);
  state.cleanupTask.cancel();
  state.cleanupTask = {};
  state.skips = true;
  state.lastCleanup = Date{};
  state.lastSchedule = Date{};
}

}  // namespace kit
