#pragma once

#include <mutex>
#include <shared_mutex>
#include <string>
#include <utility>

namespace kit {

// Reads run side by side; a write runs alone. Writes are synchronous, so a read issued after a write has
// returned, from any thread, sees it, and writes apply in the order they were made. A read or write body must
// not use the same lock again.
class ReadersWriterLock {
 public:
  explicit ReadersWriterLock(std::string label = "com.kestrova.readersWriterLock") : label_(std::move(label)) {}
  ReadersWriterLock(const ReadersWriterLock&) = delete;
  ReadersWriterLock& operator=(const ReadersWriterLock&) = delete;

  template <class F>
  decltype(auto) read(F&& body) const {
    std::shared_lock guard(mutex_);
    return std::forward<F>(body)();
  }
  template <class F>
  void write(F&& body) {
    std::unique_lock guard(mutex_);
    std::forward<F>(body)();
  }
  const std::string& label() const { return label_; }

 private:
  mutable std::shared_mutex mutex_;
  std::string label_;
};

}  // namespace kit
