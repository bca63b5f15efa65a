#include "platform/pasteboard/pasteboard.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/text/utf8.h"

namespace platform {

std::optional<int64_t> WeakPasteboard::changeCount() const {
  if (!lifetime_) return std::nullopt;
  std::shared_lock lock(lifetime_->mutex);
  if (!lifetime_->pasteboard) return std::nullopt;
  return lifetime_->pasteboard->changeCount();
}

Pasteboard::Pasteboard() : lifetime_(std::make_shared<WeakPasteboard::Lifetime>()) { lifetime_->pasteboard = this; }

Pasteboard::~Pasteboard() { endWeakHolds(); }

void Pasteboard::endWeakHolds() {
  std::unique_lock lock(lifetime_->mutex);
  lifetime_->pasteboard = nullptr;
}

std::optional<std::string> Pasteboard::availableType(std::span<const std::string_view> wanted) {
  const std::vector<std::string> offered = types();
  for (std::string_view type : wanted) {
    if (std::find(offered.begin(), offered.end(), type) != offered.end()) return std::string(type);
  }
  return std::nullopt;
}

SharedBytes Pasteboard::sharedData(std::string_view type) {
  auto bytes = data(type);
  return bytes ? std::make_shared<const Bytes>(std::move(*bytes)) : nullptr;
}

SharedBytes Pasteboard::sharedString(std::string_view type) {
  auto bytes = sharedData(type);
  if (!bytes || isValidUtf8(*bytes)) return bytes;
  return std::make_shared<const Bytes>(sanitizedUtf8(*bytes));
}

std::optional<std::string> Pasteboard::string(std::string_view type) {
  auto bytes = data(type);
  if (!bytes || isValidUtf8(*bytes)) return bytes;  // most text is valid: no second copy
  return sanitizedUtf8(*bytes);
}

}  // namespace platform
