#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace kit {

// Reads run side by side; a write runs alone. Writes are synchronous, so a read issued after a write has
// returned, from any thread, sees it, and writes apply in the order they were made.
// A write made inside a read or write body of the same lock cannot run there; it is queued and runs, alone, as soon
// as that body ends: it must therefore hold what it needs by value. A read inside a body of the same lock would
// wait for itself and stops the program.
class ReadersWriterLock {
 public:
  explicit ReadersWriterLock(std::string label = "com.kestrova.readersWriterLock") : label_(std::move(label)) {}
  ReadersWriterLock(const ReadersWriterLock&) = delete;
  ReadersWriterLock& operator=(const ReadersWriterLock&) = delete;

  template <class F>
  decltype(auto) read(F&& body) const {
    refuseNestedRead();
    Body outer(*this, false);  // declared first, so the writes it queues run once the shared lock is released
    std::shared_lock guard(mutex_);
    return std::forward<F>(body)();
  }
  template <class F>
  void write(F&& body) {
    if (Body* running = bodyOnThisThread()) {
      running->queued.emplace_back([held = std::make_shared<std::decay_t<F>>(std::forward<F>(body))] { (*held)(); });
      return;
    }
    std::unique_lock guard(mutex_);
    Body inner(*this, true);  // runs the writes it queues before the lock is released
    std::forward<F>(body)();
  }
  const std::string& label() const { return label_; }

 private:
  // A body of this lock running on this thread, and the writes made inside it. Ending it runs those writes, also
  // when the body threw.
  struct Body {
    Body(const ReadersWriterLock& lock, bool exclusive);
    ~Body();
    Body(const Body&) = delete;
    Body& operator=(const Body&) = delete;

    const ReadersWriterLock& lock;
    bool exclusive;
    std::vector<std::function<void()>> queued;
  };

  Body* bodyOnThisThread() const;
  void refuseNestedRead() const;

  static thread_local std::vector<Body*> running_;  // on this thread, innermost last; locks may nest

  mutable std::shared_mutex mutex_;
  std::string label_;
};

}  // namespace kit
