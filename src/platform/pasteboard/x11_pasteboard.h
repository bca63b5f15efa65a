#pragma once

#include <QObject>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

#include "platform/pasteboard/pasteboard.h"
#include "platform/pasteboard/x11_selection_reader.h"

namespace platform {

class QtEventTime;

// The CLIPBOARD selection. Other clients' content is read by an X11SelectionReader off the main thread: a change
// counts once its content is read (the types to read ahead, together), so that deciding on it never waits for
// the owner. Other types are read when asked, waiting for the owner at most `readPatience` per change in all.
// Our own content is written through Qt, which serves it until another client takes the clipboard.
class X11Pasteboard final : public QObject, public Pasteboard {
 public:
  X11Pasteboard();
  ~X11Pasteboard() override;

  int64_t changeCount() const override { return changeCount_.load(std::memory_order_relaxed); }
  std::vector<std::string> types() override;
  std::optional<Bytes> data(std::string_view type) override;
  SharedBytes sharedData(std::string_view type) override;
  std::vector<PasteboardItem> items() override;
  // The application of the client that owns the CLIPBOARD selection, resolved once per change.
  std::optional<std::string> ownerApplication() override;
  // The X client of the window that owns the CLIPBOARD selection.
  std::optional<uint64_t> contentOwner() override;
  // Every owner change that XFixes announced, with the server's time of it.
  uint64_t lastOwnerChange() override;
  std::vector<OwnerChange> ownerChangesSince(uint64_t serial) override;
  std::optional<std::string> applicationOfOwnerChange(uint64_t serial) override;
  bool contentExceedsReadLimit() override;
  void whenLastChangeIsRead(std::chrono::milliseconds patience, std::function<void(bool read)> then) override;
  void setTypesToReadAhead(std::vector<std::string> types) override;
  bool write(std::vector<PasteboardEntry> entries, std::optional<int64_t> onlyIfChangeCountIs = {}) override;
  rx::Publisher<int64_t> changes() override;
  // A clipboard manager is handed our content by Qt when the application ends (SAVE_TARGETS); without one, a small
  // detached process takes it over and serves it until another client copies.
  bool keepContentAfterExit() override;

  static constexpr std::chrono::milliseconds readPatience{250};

 private:
  struct Snapshot {
    uint64_t serial = 0;                              // the owner change it belongs to
    std::shared_ptr<const SelectionContent> content;  // another client's content; none for ours or nobody's
    bool ours = false;
    std::vector<std::string> targets;
    std::map<std::string, std::optional<Bytes>> targetData;  // our own content, or targets read after the change
    std::optional<std::vector<std::string>> types;
    std::map<std::string, SharedBytes> typeData;  // converted once, shared with the readers
    std::optional<std::optional<std::string>> ownerApplication;
    std::chrono::nanoseconds patienceLeft = readPatience;
  };

  void startReading();
  void contentRead(std::shared_ptr<const SelectionContent> content);
  void takeIn(std::shared_ptr<const SelectionContent> content);
  void answerWaitersForContent();
  // The owner of the content taken in last stopped answering before it handed over any of it.
  bool ownerHandedNothingOver() const;
  void stopWaitingForContent(uint64_t waiter);
  void install(std::shared_ptr<const SelectionContent> content);
  void installFirstContent();
  Snapshot& snapshot();
  std::optional<Bytes> readTarget(const std::string& target);
  void readTargets(std::vector<std::string> targets);
  std::vector<std::string> readAheadTargets(const std::vector<std::string>& offered);
  bool isOurWindow(uint32_t window) const;
  std::optional<uint32_t> selectionOwnerWindow();
  // Shows Qt the server's time: waits, handling events, until Qt has handled one at or after `atLeast`, at most
  // `qtTimePatience`.
  void letQtSeeTheServerTime(uint32_t atLeast);
  static constexpr std::chrono::milliseconds qtTimePatience{100};

  std::atomic<int64_t> changeCount_{0};  // moved on the main thread, read from any
  bool started_ = false;
  Snapshot snapshot_;
  uint64_t installedSerial_ = 0;
  bool writing_ = false;
  std::vector<std::shared_ptr<const SelectionContent>> arrivedWhileWriting_;
  struct ContentWaiter {
    uint64_t id;
    uint64_t serial;  // the owner change whose content it waits for
    std::function<void(bool read)> then;
  };
  std::vector<ContentWaiter> contentWaiters_;
  uint64_t lastWaiterId_ = 0;
  uint32_t qtResourceBase_ = 0, qtResourceMask_ = 0;

  std::mutex mutex_;  // guards what the reader's thread shares with the main thread
  std::condition_variable contentCame_;
  std::shared_ptr<const SelectionContent> firstContent_;
  bool anyContentCame_ = false;
  std::vector<std::string> typesToReadAhead_;

  std::unique_ptr<X11SelectionReader> reader_;
  std::unique_ptr<QtEventTime> qtEventTime_;
};

}  // namespace platform
