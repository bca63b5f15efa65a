#pragma once

#include <memory>

namespace kit {

// Weak references to an object that no shared_ptr owns, for deferred work that may outlive it (QObjects use
// QPointer instead). The owner holds the anchor as a member and calls release() first thing in its destructor;
// every weak_ptr it handed out has expired from then on. Lock and release on one thread.
template <class T>
class WeakAnchor {
 public:
  explicit WeakAnchor(T* object) : anchor_(object, [](T*) {}) {}
  WeakAnchor(const WeakAnchor&) = delete;
  WeakAnchor& operator=(const WeakAnchor&) = delete;

  std::weak_ptr<T> weak() const { return anchor_; }
  void release() { anchor_.reset(); }

 private:
  std::shared_ptr<T> anchor_;
};

}  // namespace kit
