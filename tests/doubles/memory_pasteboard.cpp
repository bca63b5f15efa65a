#include "doubles/memory_pasteboard.h"

#include <algorithm>

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
  changed();
  return true;
}

void MemoryPasteboard::setItems(std::vector<PasteboardItem> items) {
  items_ = std::make_shared<const std::vector<PasteboardItem>>(std::move(items));
  changed();
}

void MemoryPasteboard::changed() {
  changeCount_.fetch_add(1, std::memory_order_relaxed);
  announceChange();
}

}  // namespace platform
