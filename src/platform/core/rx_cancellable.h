#pragma once

#include <functional>
#include <utility>
#include <vector>

namespace platform::rx {

struct Unit {
  bool operator==(const Unit&) const = default;
};

// Ends a subscription when cancelled or destroyed. Cancelling twice does nothing.
class AnyCancellable {
 public:
  AnyCancellable() = default;
  explicit AnyCancellable(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
  AnyCancellable(AnyCancellable&& other) noexcept : cancel_(std::exchange(other.cancel_, nullptr)) {}
  AnyCancellable& operator=(AnyCancellable&& other) noexcept {
    if (this != &other) {
      cancel();
      cancel_ = std::exchange(other.cancel_, nullptr);
    }
    return *this;
  }
  AnyCancellable(const AnyCancellable&) = delete;
  AnyCancellable& operator=(const AnyCancellable&) = delete;
  ~AnyCancellable() { cancel(); }

  void cancel() {
    if (auto cancel = std::exchange(cancel_, nullptr)) cancel();
  }
  void store(std::vector<AnyCancellable>& into) && { into.push_back(std::move(*this)); }

 private:
  std::function<void()> cancel_;
};

}  // namespace platform::rx
