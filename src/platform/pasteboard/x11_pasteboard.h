#pragma once

#include <QObject>
#include <chrono>
#include <map>

#include "platform/pasteboard/pasteboard.h"

namespace platform {

// The CLIPBOARD selection through Qt. Reads of one change are fetched once and kept: a hung owner costs one
// timeout per change, not one per question. Our own content is served by Qt until another client takes the
// clipboard, and handed to a clipboard manager when the application quits.
class X11Pasteboard final : public QObject, public Pasteboard {
 public:
  X11Pasteboard();

  int64_t changeCount() const override { return changeCount_; }
  std::vector<std::string> types() override;
  std::optional<Bytes> data(std::string_view type) override;
  std::vector<PasteboardItem> items() override;
  // The application of the client that owns the CLIPBOARD selection, resolved once per change.
  std::optional<std::string> ownerApplication() override;
  bool write(std::vector<PasteboardEntry> entries, std::optional<int64_t> onlyIfChangeCountIs = {}) override;
  rx::Publisher<int64_t> changes() override;

  // A read that takes this long and brings nothing marks the owner as hung for the rest of its change.
  static constexpr std::chrono::milliseconds hungOwnerThreshold{1000};

 private:
  struct Snapshot {
    int64_t changeCount = -1;
    std::optional<std::vector<std::string>> targets;
    std::map<std::string, std::optional<Bytes>> targetData;
    std::optional<std::vector<std::string>> types;
    std::map<std::string, std::optional<Bytes>> typeData;
    bool ownerHung = false;
    std::optional<uint32_t> owner;  // the X window that owned the clipboard when this change was first read
    std::optional<std::optional<std::string>> ownerApplication;
  };

  Snapshot& snapshot();
  const std::vector<std::string>& targets();
  std::optional<Bytes> readTarget(const std::string& target);
  void connectIfNeeded();
  bool isOurWindow(uint32_t window) const;
  std::optional<uint32_t> selectionOwnerWindow();
  bool serverSeesUsAsOwner();
  void letQtSeeTheServerTime();
  void clipboardChanged();

  int64_t changeCount_ = 0;
  bool writing_ = false;
  bool connected_ = false;
  Snapshot snapshot_;
};

}  // namespace platform
