#include "doubles/memory_pasteboard.h"

#include <algorithm>

#include "platform/core/clock.h"

namespace platform {

std::vector<std::string> MemoryPasteboard::types() {
  std::vector<std::string> out;
  for (const auto& item : *items_) {
    for (const auto& type : item.types) {
      if (std::find(out.begin(), out.end(), type) == out.end()) out.push_back(type);
    }
  }
  return out;
}

const Bytes* MemoryPasteboard::find(std::string_view type) {
  // Like the system pasteboard: the first item that has the type answers.
  for (const auto& item : *items_) {
    if (auto it = item.dataByType.find(std::string(type)); it != item.dataByType.end()) {
      ++readCount_;
      return &it->second;
    }
  }
  return nullptr;
}

std::optional<Bytes> MemoryPasteboard::data(std::string_view type) {
  const Bytes* bytes = find(type);
  return bytes != nullptr ? std::optional<Bytes>(*bytes) : std::nullopt;
}

SharedBytes MemoryPasteboard::sharedData(std::string_view type) {
  const Bytes* bytes = find(type);
  return bytes != nullptr ? SharedBytes(items_, bytes) : nullptr;
}

bool MemoryPasteboard::write(std::vector<PasteboardEntry> entries, std::optional<int64_t> onlyIfChangeCountIs) {
  if (onlyIfChangeCountIs && *onlyIfChangeCountIs != changeCount()) return false;
  PasteboardItem item;
  for (auto& entry : entries) {
    if (item.dataByType.count(entry.type) == 0) item.types.push_back(entry.type);
    item.dataByType[entry.type] = std::move(entry.data);
  }
  std::vector<PasteboardItem> items;
  if (!item.types.empty()) items.push_back(std::move(item));
  items_ = std::make_shared<const std::vector<PasteboardItem>>(std::move(items));
  ownerApplication_.reset();  // our own content
  contentOwner_.reset();
  changed(true);
  return true;
}

void MemoryPasteboard::setItems(std::vector<PasteboardItem> items) {
  items_ = std::make_shared<const std::vector<PasteboardItem>>(std::move(items));
  changed(false);
}

void MemoryPasteboard::setOwnerApplication(std::optional<std::string> application) {
  ownerApplication_ = application;
  if (!owners_.empty()) owners_.back().application = std::move(application);
}

std::vector<Pasteboard::OwnerChange> MemoryPasteboard::ownerChangesSince(uint64_t serial) {
  std::vector<OwnerChange> changes;
  for (const auto& owner : owners_) {
    if (owner.change.serial > serial) changes.push_back(owner.change);
  }
  return changes;
}

std::optional<std::string> MemoryPasteboard::applicationOfOwnerChange(uint64_t serial) {
  for (const auto& owner : owners_) {
    if (owner.change.serial == serial) return owner.application;
  }
  return std::nullopt;
}

void MemoryPasteboard::changed(bool ours) {
  changeCount_.fetch_add(1, std::memory_order_relaxed);
  const uint64_t serial = lastOwnerChange() + 1;
  const auto at = std::chrono::duration_cast<std::chrono::milliseconds>(clock().uptime());
  if (owners_.size() == ownerChangesKept) owners_.pop_front();
  owners_.push_back({{serial, at, ours}, ownerApplication_});
  announceChange();
}

}  // namespace platform
