#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/pasteboard/pasteboard.h"

namespace platform {

// An in-memory pasteboard with any number of items.
class MemoryPasteboard final : public Pasteboard {
 public:
  MemoryPasteboard() = default;
  ~MemoryPasteboard() override { endWeakHolds(); }
  MemoryPasteboard(const MemoryPasteboard&) = delete;
  MemoryPasteboard& operator=(const MemoryPasteboard&) = delete;
  int64_t changeCount() const override { return changeCount_.load(std::memory_order_relaxed); }
  std::vector<std::string> types() override;
  std::optional<Bytes> data(std::string_view type) override;
  // Shares the bytes of the content, as the desktop clipboard does with what it read.
  SharedBytes sharedData(std::string_view type) override;
  std::vector<PasteboardItem> items() override { return *items_; }
  std::optional<std::string> ownerApplication() override { return ownerApplication_; }
  std::optional<uint64_t> contentOwner() override { return contentOwner_; }
  // Each change of the content is an owner change, at the time of the clock in use.
  uint64_t lastOwnerChange() override { return owners_.empty() ? 0 : owners_.back().change.serial; }
  std::vector<OwnerChange> ownerChangesSince(uint64_t serial) override;
  std::optional<std::string> applicationOfOwnerChange(uint64_t serial) override;
  bool write(std::vector<PasteboardEntry> entries, std::optional<int64_t> onlyIfChangeCountIs = {}) override;

  // Replaces the content with several items, as another application would.
  void setItems(std::vector<PasteboardItem> items);
  // The application that owns the content, until the next write of ours.
  void setOwnerApplication(std::optional<std::string> application);
  // The client that owns the content, until the next write of ours.
  void setContentOwner(std::optional<uint64_t> owner) { contentOwner_ = owner; }
  // Counts how often data was read (every type of every read).
  int readCount() const { return readCount_; }

 private:
  void changed(bool ours);
  // The bytes of the first item that has the type.
  const Bytes* find(std::string_view type);

  // Replaced whole at each change, so that the bytes shared out stay as they were.
  std::shared_ptr<const std::vector<PasteboardItem>> items_ = std::make_shared<const std::vector<PasteboardItem>>();
  std::optional<std::string> ownerApplication_;
  std::optional<uint64_t> contentOwner_;
  struct Owner {
    OwnerChange change;
    std::optional<std::string> application;
  };
  std::deque<Owner> owners_;
  std::atomic<int64_t> changeCount_{0};
  int readCount_ = 0;
};

}  // namespace platform
