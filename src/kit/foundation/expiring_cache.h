#pragma once

#include <any>
#include <source_location>
#include <string>
#include <typeinfo>
#include <vector>

#include "kit/foundation/atomic_collections.h"
#include "kit/foundation/durations.h"
#include "kit/foundation/value_wrappers.h"
#include "platform/core/clock.h"

namespace kit {

// A remembered result and the time it was stored (not when it expires: each reader judges by its own lifetime).
struct ExpiringCacheEntry {
  Date stamp;
  std::any value;
};

using ExpiringCacheStorage = AtomicDictionary<AggregateHashable, ExpiringCacheEntry>;

// The one process-wide store of memoized results.
ExpiringCacheStorage& expiringCacheStorage();

// Every second call considers maintenance: a sweep at once when none ran for 60 seconds, otherwise a delayed
// sweep 10 seconds out, scheduled at most every 2 seconds.
void cleanUpExpiringCacheIfNeeded(Duration olderThan);
// Removes the entries whose stamp plus `olderThan` lies before now.
void cleanUpExpiringCache(Duration olderThan);
void scheduleExpiringCacheCleanup(Duration olderThan);
// Empties the store and restores the maintenance state of a fresh process.
void resetExpiringCacheForTesting();

namespace detail {
AggregateHashable expiringCacheKey(const std::source_location& site, const std::type_info& result,
                                   std::vector<AnyHashable> arguments);
bool expiringCacheEntryIsValid(const ExpiringCacheEntry& entry, Duration lifetime);
}  // namespace detail

// Runs `operation` and remembers its result for `lifetime` under the call site and the arguments; a later
// call with the same key within the lifetime answers the remembered result without running the operation.
// Empty optionals are remembered like any other result. Safe from any thread.
template <class Operation>
auto memoize(Duration lifetime, std::vector<AnyHashable> arguments, Operation&& operation,
             std::source_location site = std::source_location::current()) -> std::invoke_result_t<Operation&> {
  using T = std::invoke_result_t<Operation&>;
  // The result type is part of the key, so that one call site used with several types never mixes them.
  AggregateHashable key = detail::expiringCacheKey(site, typeid(T), std::move(arguments));
  ExpiringCacheStorage& storage = expiringCacheStorage();
  std::optional<T> result;
  if (auto entry = storage.get(key); entry && detail::expiringCacheEntryIsValid(*entry, lifetime)) {
    if (const T* cached = std::any_cast<T>(&entry->value)) result = *cached;
  }
  if (!result) {
    result = operation();
    storage.set(key, ExpiringCacheEntry{platform::clock().now(), std::any(*result)});
  }
  cleanUpExpiringCacheIfNeeded(lifetime);
  return std::move(*result);
}

}  // namespace kit
