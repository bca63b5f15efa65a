#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/asked_copy.h"
#include "engine/clearing_pass.h"
#include "engine/clearing_settings.h"
#include "engine/clipboard_loop_guard.h"
#include "engine/content_decision.h"
#include "engine/desktop_input.h"
#include "engine/javascript_run.h"
#include "kit/foundation/reentrancy_guard.h"
#include "kit/foundation/weak_anchor.h"
#include "platform/core/executor.h"
#include "platform/core/rx.h"
#include "platform/core/task.h"
#include "platform/pasteboard/pasteboard.h"

namespace engine {

// Whether the settings make the frontmost application the source of a copy, and its identifier: not forced; forced,
// without an identifier (the frontmost application has none); forced, with one.
class ForcedFrontmostApp {
 public:
  static ForcedFrontmostApp notForced() { return ForcedFrontmostApp(false, std::nullopt); }
  static ForcedFrontmostApp forced(std::optional<std::string> bundleIdentifier) {
    return ForcedFrontmostApp(true, std::move(bundleIdentifier));
  }
  bool isForced() const { return isForced_; }
  // The frontmost application's identifier when forced; none when not forced or it has none.
  const std::optional<std::string>& bundleIdentifier() const { return bundleIdentifier_; }
  bool operator==(const ForcedFrontmostApp&) const = default;

 private:
  ForcedFrontmostApp(bool isForced, std::optional<std::string> bundleIdentifier)
      : isForced_(isForced), bundleIdentifier_(std::move(bundleIdentifier)) {}

  bool isForced_;
  std::optional<std::string> bundleIdentifier_;
};

// What a clearing pass came to.
enum class ClearingOutcome {
  written,         // the cleaned content replaced the copy
  nothingWritten,  // nothing to clean, a newer copy came meanwhile, or the clipboard could not be read
};
// Called once, on the main thread, when a pass has written or decided to write nothing.
using ClearingCompletion = std::function<void(ClearingOutcome)>;

// The engine's one long-lived object: it follows "automaticallyClearFormatting" with a pasteboard watcher,
// decides on each change whether the content may be cleaned, and rewrites the clipboard with the cleaned
// text. Main thread only.
class PasteboardController {
 public:
  // The instance on the desktop clipboard, made on first use.
  static PasteboardController& shared();
  // Begins to follow the desktop clipboard at once, before the preferences are read (a large file takes a while):
  // what is copied from now on is new to the watcher that the shared instance starts.
  static void followClipboardFromNow();

  // Starts watching at once when "automaticallyClearFormatting" is on, and follows the Alt key. The watcher started
  // here leaves alone the content of the change count `watchFrom` (by default the current one), not what came after
  // it; a watcher started later leaves alone the content it finds.
  explicit PasteboardController(platform::Pasteboard& pasteboard, std::optional<int64_t> watchFrom = std::nullopt);
  ~PasteboardController();
  PasteboardController(const PasteboardController&) = delete;
  PasteboardController& operator=(const PasteboardController&) = delete;

  // True starts (or restarts) the watcher, false stops it.
  void setWatching(bool watching);
  bool isWatching() const { return pasteboardCancellable_.has_value(); }

  platform::Pasteboard& pasteboard() { return pasteboard_; }
  // Empty once the controller is gone; for work that may outlive it.
  std::weak_ptr<PasteboardController> weakSelf() const { return anchor_.weak(); }

  // The watcher's decision on a new change: skip, leave alone, or clean. A change that arrives while one is
  // being decided is decided right after it, on the content found then. Content that comes back right after our
  // write faster than the pace is decided later, unless the watcher stopped or a newer change came meanwhile.
  void pasteboardDidChange();
  // True when the current change must be left alone whatever the settings.
  bool shouldSkip();
  // The full lookup of the current content's source application: the clipboard's markers, then the application
  // that owns the clipboard, then the frontmost application when the settings force it (also when it has no
  // identifier: the lookup then ends with none), else the application the user works in.
  std::optional<std::string> sourceAppBundleIdentifier(const ClearingSettings& settings = ClearingSettings::current());
  // Forced when "_forceUsingFrontmostApp" is on and there is a frontmost application.
  static ForcedFrontmostApp forcedFrontmostAppBundleIdentifier(
      const ClearingSettings& settings = ClearingSettings::current());
  // The content that may be cleaned with the current settings, or none.
  std::optional<StringOrAttributedStringType> currentContent();

  // Rewrites the clipboard with the cleaned text and our markers, in one write that happens only when the
  // clipboard still holds the content that was read. Prints "Finished clearing" after the write. Large content, and
  // content the user's script transforms, is cleaned off the main thread (the write still on it, later); content
  // above the ceiling is left alone. Without settings, the current ones apply. `completion` follows the write, or the
  // decision to write nothing: at once for small content without a script, else once the pass off the main thread
  // is done (also when a pass on the same content is under way already).
  void clearFormatting();
  void clearFormatting(const ClearingSettings& settings, ClearingCompletion completion = {});
  // "Clear Formatting Now", the intent and clear-and-paste: cleans the copy made last, once the clipboard has read it
  // (an application may hand its copy over slowly), also an excluded application's, with the source application its
  // markers name (none when they name none). When it cannot be read within `commandReadPatience`, the log says so and
  // nothing is written.
  void clearFormattingNow(ClearingCompletion completion = {});
  static constexpr std::chrono::milliseconds commandReadPatience{2000};
  // Calls `then` with true once the copy made last is read; with false, and a line in the log while the controller
  // lives, when the application that copied does not hand it over within `patience`.
  void whenCopyIsHandedOver(std::chrono::milliseconds patience, std::function<void(bool handedOver)> then);
  // A pass after a synthetic copy: cleans the copy asked for, unless it holds our own write, with the source
  // application looked up afresh (the full lookup: the copy was made a moment ago; for a copy that a clipboard manager
  // took over, its markers, else the asked application). A copy made since the key press by another application is
  // left as it is (the watcher decides on it when it runs); the asked copy is cleaned also when its application is
  // excluded. A call while another pass (the watcher's included) waits for another client's clipboard runs right after
  // it, so that passes never overlap.
  void clearAskedCopy(const AskedCopy& copy);
  static constexpr std::size_t largestContentCleanedAtOnce = 256u << 10;
  static constexpr std::size_t largestContentToClean = 16u << 20;

  // The script step of a pass with the current settings: the text the user's script made of `text`, else `text` as
  // it is. The script does not run while it is edited, while links are kept, or when it is blank; nothing of a run on
  // a copy marked concealed is printed. A failure keeps the text and shows its error, prefixed "[JavaScript
  // Exception]", in an alert (one at a time: a failure while one is open is only logged). A pass runs the same step,
  // off the main thread.
  std::string transformTextWithJavaScript(const std::string& text);
  // Runs the user's code on `text` with `$.sourceApp` as scriptSourceApp() gives it: the text it returned, or nothing.
  // runScriptStep() makes that run's step, to run it elsewhere: on the main thread, which owns what the script sees.
  std::optional<std::string> runJavaScript(const std::string& code, const std::string& text,
                                           const JavaScriptLogHandler& logHandler = {},
                                           JavaScriptTimeLimit timeLimit = clearingPassScriptTimeLimit);
  ScriptStep runScriptStep(std::string code) const;
  // What a script sees as `$.sourceApp`: our own id while the user edits the script, else the copy's source.
  std::optional<std::string> scriptSourceApp() const;

  // The source application of the change examined last; none when no lookup found one.
  const std::optional<std::string>& pasteboardItemSourceApp() const { return pasteboardItemSourceApp_; }
  // Drops the source application of an earlier change, so that the next pass looks it up for its own content.
  void forgetSourceApp() { pasteboardItemSourceApp_.reset(); }

  // True while the user edits the script: passes skip it and scripts see our own id as their source app.
  bool isEditingCode() const { return isEditingCode_; }
  void setEditingCode(bool editing) { isEditingCode_ = editing; }

  // Follows the modifier keys of the whole desktop for as long as the controller lives (started with it): each
  // change goes to modifierFlagsChanged(), and each press of a key or mouse button to inputPressed().
  platform::Task<void> monitorOptionKey();
  // A modifier change anywhere on the desktop (flags as events carry them).
  void modifierFlagsChanged(uint64_t flags);
  // A key (other than a modifier) or a mouse button pressed anywhere on the desktop: the modifiers held meanwhile are
  // used with it (Alt+Tab, an Alt+drag), not pressed on their own.
  void inputPressed();
  // When Alt was last pressed and released on its own; copies within 3 seconds of it are left alone.
  std::chrono::system_clock::time_point lastOptionKeyPress() const { return lastOptionKeyPress_; }
  // Forgets the modifier keys seen so far, the last lone Alt press included.
  void forgetModifierKeys() {
    lastModifiers_ = 0;
    pressedWithModifiers_ = false;
    lastOptionKeyPress_ = {};
  }

 private:
  void decideChange();
  void decideAgainAfter(ClipboardLoopGuard::Clock::duration wait);
  void inTurn(std::function<void()> pass);
  std::optional<ContentToRead> contentToReadNow(bool preserveLinks);
  std::vector<platform::PasteboardEntry> markersToWriteBack(int64_t changeCount, const ClearingSettings& settings);
  std::optional<ScriptStep> scriptStep(const ClearingSettings& settings);
  // True when it wrote.
  bool finishClearing(std::optional<CleanedContent> cleaned, std::vector<platform::PasteboardEntry> markers,
                      int64_t changeCount);
  void leaveTooLargeContentAlone(int64_t changeCount);
  // The text, HTML and RTF that the loop guard compares, shared with the clipboard.
  std::array<platform::SharedBytes, 3> contentForLoopGuard(bool preserveLinks);
  void presentScriptError(const kit::Error& failure);

  platform::Pasteboard& pasteboard_;
  std::optional<int64_t> firstWatchedFrom_;
  std::vector<platform::rx::AnyCancellable> cancellables_;
  std::optional<platform::rx::AnyCancellable> pasteboardCancellable_;
  platform::Task<void> optionKeyTask_;
  std::shared_ptr<bool> scriptAlertIsShown_ = std::make_shared<bool>(false);
  kit::WeakAnchor<PasteboardController> anchor_{this};
  std::optional<std::string> pasteboardItemSourceApp_;
  bool isEditingCode_ = false;
  uint64_t lastModifiers_ = 0;
  bool pressedWithModifiers_ = false;  // since the modifiers of lastModifiers_ went down
  std::chrono::system_clock::time_point lastOptionKeyPress_{};
  // The passes of the watcher and of the commands, one at a time, in the order they were asked for.
  kit::ReentrancyGuard passes_;
  std::deque<std::function<void()>> passesWaiting_;
  bool decisionWaiting_ = false;
  std::optional<int64_t> deferredChange_;  // the change to decide once the pace allows
  ClipboardLoopGuard loopGuard_{DesktopInput::shared()};
  // A pass off the main thread. Its thread reads `overtaken`; the rest is the main thread's.
  struct BackgroundPass {
    explicit BackgroundPass(int64_t count) : changeCount(count) {}
    BackgroundPass(const BackgroundPass&) = delete;
    BackgroundPass& operator=(const BackgroundPass&) = delete;
    ~BackgroundPass();  // completions still waiting when the pass is dropped unfinished hear that nothing was written
    const int64_t changeCount;
    std::atomic<bool> overtaken{false};
    std::vector<ClearingCompletion> completions;
  };
  std::shared_ptr<BackgroundPass> passInBackground_;
  std::optional<int64_t> tooLargeContentLoggedFor_;
  std::unique_ptr<platform::SerialExecutor> backgroundPasses_;  // made with the first large pass
};

}  // namespace engine
