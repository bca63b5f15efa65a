#include "kit/foundation/readers_writer_lock.h"

#include <algorithm>

#include "kit/foundation/fatal_error.h"
#include "kit/foundation/report_error.h"

namespace kit {

thread_local std::vector<ReadersWriterLock::Body*> ReadersWriterLock::running_;

ReadersWriterLock::Body::Body(const ReadersWriterLock& lock, bool exclusive) : lock(lock), exclusive(exclusive) {
  running_.push_back(this);
}

ReadersWriterLock::Body::~Body() {
  if (exclusive) {
    // A queued write may queue more; each runs in turn while the lock is still held.
    while (!queued.empty()) {
      auto writes = std::exchange(queued, {});
      for (auto& write : writes) {
        // Its caller has long returned: what it throws is reported, and the writes after it still land.
        try {
          write();
        } catch (...) {
          ZvApp::reportError(std::current_exception());
        }
      }
    }
  }
  running_.erase(std::find(running_.begin(), running_.end(), this));
  if (!exclusive && !queued.empty()) {
    std::unique_lock guard(lock.mutex_);
    Body writes(lock, true);
    writes.queued = std::move(queued);
  }
}

ReadersWriterLock::Body* ReadersWriterLock::bodyOnThisThread() const {
  auto it = std::find_if(running_.rbegin(), running_.rend(), [&](Body* body) { return &body->lock == this; });
  return it == running_.rend() ? nullptr : *it;
}

void ReadersWriterLock::refuseNestedRead() const {
  if (bodyOnThisThread()) fatalError("A read inside a body of the same readers-writer lock waits for itself.");
}

}  // namespace kit
