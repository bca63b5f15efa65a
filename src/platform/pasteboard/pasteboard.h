#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <shared_mutex>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/core/rx_subjects.h"

namespace platform {

using Bytes = std::string;  // raw bytes
// Bytes shared with whatever else holds them, unchanged for as long as any holder keeps them; null for none.
using SharedBytes = std::shared_ptr<const Bytes>;

struct PasteboardEntry {
  std::string type;
  Bytes data;
};

struct PasteboardItem {
  std::vector<std::string> types;
  std::map<std::string, Bytes> dataByType;
};

// Logical pasteboard types. Marker types and any other name travel under that name.
namespace PasteboardType {
extern const std::string string, html, rtf, rtfd, fileUrl, fileContents, url, tiff, font, color;
}  // namespace PasteboardType

class Pasteboard;

// A hold on a pasteboard that does not keep it: once the pasteboard is gone, it reads nothing. Any thread.
class WeakPasteboard {
 public:
  WeakPasteboard() = default;
  // The pasteboard's change count; none once it is gone (or for a hold on none).
  std::optional<int64_t> changeCount() const;

 private:
  friend class Pasteboard;
  struct Lifetime {
    std::shared_mutex mutex;
    const Pasteboard* pasteboard = nullptr;  // null once it is gone
  };
  explicit WeakPasteboard(std::shared_ptr<Lifetime> lifetime) : lifetime_(std::move(lifetime)) {}

  std::shared_ptr<Lifetime> lifetime_;
};

// The system clipboard, or a stand-in for it. Main thread only, but for changeCount() and weak holds.
class Pasteboard {
 public:
  // A client took the content over: made a copy, or took over another's (as clipboard managers do).
  struct OwnerChange {
    uint64_t serial = 0;              // a later change has a larger one
    std::chrono::milliseconds at{0};  // when, on the pasteboard's own clock: compare it only with another change's
    bool ours = false;                // one of our writes
  };
  // The number of owner changes kept for ownerChangesSince().
  static constexpr std::size_t ownerChangesKept = 16;

  Pasteboard();
  virtual ~Pasteboard();
  Pasteboard(const Pasteboard&) = delete;
  Pasteboard& operator=(const Pasteboard&) = delete;
  // Moves by one on every change of the content, our own writes included. Safe to call from any thread, so that a
  // watcher can look for a change without waking the main thread: a count read elsewhere only says that the content
  // changed, which is then read on the main thread.
  virtual int64_t changeCount() const = 0;
  // Logical types, in the order the content offers them.
  virtual std::vector<std::string> types() = 0;
  // The first of `types` that the content offers.
  std::optional<std::string> availableType(std::span<const std::string_view> types);
  // UTF-8 text of a type; invalid UTF-8 is replaced.
  std::optional<std::string> string(std::string_view type);
  virtual std::optional<Bytes> data(std::string_view type) = 0;
  // The same as string() and data(), without a copy where the pasteboard holds the bytes itself: a large copy is then
  // held once, however many readers keep it, also after the content changed.
  SharedBytes sharedString(std::string_view type);
  virtual SharedBytes sharedData(std::string_view type);
  virtual std::vector<PasteboardItem> items() = 0;
  // The application that put the content there, as the system tells it apart from the content's own markers
  // (on the desktop: the clipboard owner's); none for our own content or when it cannot be told.
  virtual std::optional<std::string> ownerApplication() { return std::nullopt; }
  // Tells apart the clients that put content there: two copies made by one client have the same value; none for our
  // own content or when it cannot be told.
  virtual std::optional<uint64_t> contentOwner() { return std::nullopt; }
  // The serial of the last owner change so far, for ownerChangesSince(); 0 where the pasteboard does not tell them.
  virtual uint64_t lastOwnerChange() { return 0; }
  // The owner changes after the one with `serial` up to the one that brought the current content, oldest first, also
  // those of clients that owned the content only for moments; of the last `ownerChangesKept` only. Empty where the
  // pasteboard does not tell them.
  virtual std::vector<OwnerChange> ownerChangesSince(uint64_t serial) {
    static_cast<void>(serial);
    return {};
  }
  // The application of the client that the change with `serial` made the owner, looked up now (as ownerApplication()
  // does for the current one); none for ours, when it cannot be told, or for a change no longer kept.
  virtual std::optional<std::string> applicationOfOwnerChange(uint64_t serial) {
    static_cast<void>(serial);
    return std::nullopt;
  }
  // Whether the current content holds more data than a pasteboard reads; that data reads as none.
  virtual bool contentExceedsReadLimit() { return false; }
  // Calls `then` with true once the content of the last change made before this call is read (as far as its owner
  // answered), with false once `patience` has passed without it, or when its owner stopped answering before it handed
  // over anything: a pasteboard that fetches content from elsewhere may still be fetching it. At once when it is read
  // already, else later on the main thread.
  // NOLINTNEXTLINE(performance-unnecessary-value-param): the overriders keep it
  virtual void whenLastChangeIsRead(std::chrono::milliseconds patience, std::function<void(bool read)> then) {
    static_cast<void>(patience);
    then(true);
  }
  // The types that reads of each new content will ask for, so that a pasteboard that fetches content from elsewhere
  // fetches them together, before it reports the change. Other types can still be read, later and one by one.
  // NOLINTNEXTLINE(performance-unnecessary-value-param): the overriders keep it
  virtual void setTypesToReadAhead(std::vector<std::string> types) { static_cast<void>(types); }
  // Replaces the whole content in one step. With `onlyIfChangeCountIs`, writes nothing and answers false when
  // the count has moved.
  virtual bool write(std::vector<PasteboardEntry> entries, std::optional<int64_t> onlyIfChangeCountIs = {}) = 0;
  // Keeps our content on the clipboard after the program has ended, where the system would drop it with the program.
  // Called once, as the program ends: the pasteboard is not used afterwards. False only when there was content of
  // ours to keep and it could not be kept.
  virtual bool keepContentAfterExit() { return true; }
  // The new count at each change, at once. A pasteboard that stands for another one forwards that one's.
  virtual rx::Publisher<int64_t> changes() { return changed_.publisher(); }

  // A hold on this pasteboard that reads nothing once it is gone, for work that may outlive it.
  WeakPasteboard weak() const { return WeakPasteboard(lifetime_); }

 protected:
  // Tells the subscribers of changes() about the current count.
  void announceChange() { changed_.send(changeCount()); }
  // Ends the weak holds, waiting for a read through one that is under way on another thread. The first step of the
  // destructor of each final pasteboard class, while the pasteboard is whole.
  void endWeakHolds();

 private:
  rx::PassthroughSubject<int64_t> changed_;
  std::shared_ptr<WeakPasteboard::Lifetime> lifetime_;
};

// The desktop clipboard (the X11 CLIPBOARD selection). Needs a Qt GUI application.
Pasteboard& generalPasteboard();

}  // namespace platform
