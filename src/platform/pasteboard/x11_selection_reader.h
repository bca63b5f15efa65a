#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/pasteboard/pasteboard.h"

namespace platform {

// What one owner of the CLIPBOARD selection offers, as far as it was read.
struct SelectionContent {
  uint64_t serial = 0;               // the reader's count of owner changes: a later owner has a larger one
  xcb_window_t owner = XCB_NONE;     // none: nobody owns the clipboard
  std::vector<std::string> targets;  // as the owner lists them
  // Each target that was asked for: its bytes, or none when the owner refused it or did not answer in time.
  std::map<std::string, std::optional<Bytes>> data;
  bool ownerHung = false;  // the owner stopped answering before everything asked for came
  bool tooLarge = false;   // a target was larger than the reader takes; its data was not read
};

// Reads the CLIPBOARD selection of other clients on an X connection and a thread of its own, so that a slow or hung
// owner never holds up the caller. Each owner change is read at once, in the order the server made them: the list of
// targets, then every target that `readAhead` picks from it, asked for together (large ones in increments). A later
// owner cancels the reading of an earlier one.
class X11SelectionReader {
 public:
  struct Options {
    // Picks the targets to read at once from the offered list.
    std::function<std::vector<std::string>(const std::vector<std::string>& offered)> readAhead;
    // Tells this program's own windows apart: its own content is not read back.
    std::function<bool(xcb_window_t window)> isOwnWindow;
    // Receives each other owner's content once read, on the reader's thread. Owners that lost the clipboard before
    // their content was read are not reported; an owner of our own, or nobody, comes with no targets.
    std::function<void(std::shared_ptr<const SelectionContent> content)> contentRead;
    // An owner that answers nothing for this long counts as hung, also in the middle of a transfer.
    std::chrono::milliseconds patience{3000};
    // Larger targets are not read (the cleaning engine leaves such copies alone anyway).
    std::size_t largestTarget = 16u << 20;
  };

  // Connects to $DISPLAY and starts reading; none without an X server or the XFIXES extension.
  static std::unique_ptr<X11SelectionReader> start(Options options);
  ~X11SelectionReader();
  X11SelectionReader(const X11SelectionReader&) = delete;
  X11SelectionReader& operator=(const X11SelectionReader&) = delete;

  struct OwnerChange {
    uint64_t serial;     // as in SelectionContent
    xcb_window_t owner;  // none: nobody
    // When the owner took the clipboard, by the server's clock; the current time when the reader found it there.
    xcb_timestamp_t takenAt = XCB_CURRENT_TIME;
    uint64_t lastOwnSerial = 0;  // the last change that made one of our own windows the owner; 0 for none yet
  };
  // The last owner change the server made before this question, once the reader has taken in every change before
  // it; none when no answer came within `wait`. Tells whether a take of the clipboard went through, or whether
  // another client took it since a content was read (even the same client, taking it again).
  std::optional<OwnerChange> lastOwnerChange(std::chrono::milliseconds wait);

  // An owner change that the server announced.
  struct PastOwner {
    uint64_t serial;               // as in SelectionContent
    xcb_window_t owner;            // none: nobody
    std::chrono::milliseconds at;  // when the server made it, by its clock (counted on where it wraps)
    bool ours;                     // one of our own windows
  };
  // The last owner changes the server announced, at most `Pasteboard::ownerChangesKept`, oldest first, also of owners
  // that lost the clipboard before their content was read; the owner found when reading began is none of them.
  // Answers at once: the server is not asked.
  std::vector<PastOwner> recentOwners() const;

  // Reads more targets of the content with `serial` while its owner still has the clipboard, waiting at most `wait`.
  // Every target asked for has an entry: none when it is not offered, was refused or did not come in time.
  std::map<std::string, std::optional<Bytes>> read(uint64_t serial, const std::vector<std::string>& targets,
                                                   std::chrono::milliseconds wait);

  class Worker;

 private:
  explicit X11SelectionReader(std::unique_ptr<Worker> worker);
  std::unique_ptr<Worker> worker_;
};

}  // namespace platform
