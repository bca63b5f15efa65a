#include "engine/pasteboard_controller.h"

#include <algorithm>
#include <atomic>
#include <iterator>
#include <utility>

#include "engine/change_publisher.h"
#include "engine/clearing_pass.h"
#include "engine/content_markers.h"
#include "engine/preference_keys.h"
#include "engine/url_utilities.h"
#include "engine/window_info.h"
#include "kit/foundation/durations.h"
#include "kit/foundation/error_presentation.h"
#include "kit/foundation/event_monitors.h"
#include "kit/foundation/general_error.h"
#include "kit/foundation/log.h"
#include "kit/foundation/pasteboard_markers.h"
#include "kit/foundation/zv_app.h"
#include "kit/preferences/publishers.h"
#include "platform/core/clock.h"
#include "platform/core/executor.h"
#include "platform/core/log_sink.h"
#include "platform/core/task.h"
#include "platform/system/input_event.h"
#include "platform/system/input_monitors.h"
#include "platform/system/modifier_flags.h"
#include "platform/system/workspace.h"

namespace engine {

namespace {

using kit::Preferences::get;
namespace Keys = kit::Preferences::Keys;
namespace Flag = platform::ModifierFlag;

void logLine(const std::string& text, int line) {
  kit::log({text}, kit::LogType::defaultType, "pasteboardDidChange()", "PasteboardController", line);
}

std::optional<std::string> userAppBundleIdentifier() {
  if (auto app = WindowInfo::UserApp::current(true)) return app->bundleIdentifier.rawValue;
  return std::nullopt;
}

// Where the content's markers name no application, the one that owns the content made the copy; the
// application the user works in stands in only when the owner cannot be told.
std::optional<std::string> sourceAppFromOwnerThenUserApp(platform::Pasteboard& pasteboard) {
  if (auto owner = pasteboard.ownerApplication()) return owner;
  return userAppBundleIdentifier();
}

// The misspelt line is matched as it is by tools that read the log: keep it so.
std::string excludedAppLine(const std::string& source) {
  return "Skip: EXLUDED APP - " + kit::BundleIdentifier(source).description();
}

std::optional<std::string_view> viewOf(const platform::SharedBytes& bytes) {
  return bytes ? std::optional<std::string_view>(*bytes) : std::nullopt;
}

bool offersRichText(platform::Pasteboard& pasteboard) {
  return hasType(pasteboard, platform::PasteboardType::html) || hasType(pasteboard, platform::PasteboardType::rtf);
}

}  // namespace

namespace {

// The change count of the desktop clipboard when the program began to follow it.
std::optional<int64_t>& clipboardFollowedFrom() {
  static std::optional<int64_t> count;
  return count;
}

}  // namespace

void PasteboardController::followClipboardFromNow() {
  if (!clipboardFollowedFrom()) clipboardFollowedFrom() = platform::generalPasteboard().changeCount();
}

PasteboardController& PasteboardController::shared() {
  static PasteboardController* controller =
      new PasteboardController(platform::generalPasteboard(), clipboardFollowedFrom());  // never released
  return *controller;
}

PasteboardController::PasteboardController(platform::Pasteboard& pasteboard, std::optional<int64_t> watchFrom)
    : pasteboard_(pasteboard), firstWatchedFrom_(watchFrom) {
  std::weak_ptr<PasteboardController> weak = weakSelf();
  // The clipboard fetches what the decisions read together with each new copy.
  kit::Preferences::changePublisher(Keys::preserveLinks())
      .sink([weak](const kit::Preferences::KeyChange<bool>& change) {
        if (auto self = weak.lock()) self->pasteboard_.setTypesToReadAhead(typesReadForCleaning(change.newValue));
      })
      .store(cancellables_);
  kit::Preferences::changePublisher(Keys::automaticallyClearFormatting())
      .map([](const kit::Preferences::KeyChange<bool>& change) { return change.newValue; })
      .sink([weak](bool on) {
        if (auto self = weak.lock()) self->setWatching(on);
      })
      .store(cancellables_);
  optionKeyTask_ = platform::spawn(platform::mainExecutor(), [weak]() -> platform::Task<void> {
    auto self = weak.lock();
    if (!self) co_return;
    platform::Task<void> following = self->monitorOptionKey();
    self.reset();  // the controller is held weakly while the task waits
    co_await following;
  });
}

PasteboardController::~PasteboardController() {
  anchor_.release();
  optionKeyTask_.cancel();  // ends the event stream, and with it the desktop's event monitor
}

void PasteboardController::setWatching(bool watching) {
  // The count to watch from belongs to the watcher the constructor starts, if it starts one: one that the user
  // switches on later leaves alone what the clipboard holds then, like any watcher.
  const std::optional<int64_t> watchFrom = std::exchange(firstWatchedFrom_, std::nullopt);
  if (!watching) {
    pasteboardCancellable_.reset();
    return;
  }
  if (get(Keys::_clearFormattingWhenEnablingAutoFormatting())) clearFormatting();
  std::weak_ptr<PasteboardController> weak = weakSelf();
  pasteboardCancellable_.reset();
  // The first value is the clipboard as the watcher finds it: left alone unless it changed since the count to watch
  // from (the engine's start, for the first watcher).
  const int64_t leaveAlone = watchFrom.value_or(pasteboard_.changeCount());
  auto first = std::make_shared<bool>(true);
  const platform::WeakPasteboard source = pasteboard_.weak();
  pasteboardCancellable_ = changePublisher(pasteboard_, std::chrono::milliseconds(500), std::chrono::milliseconds(200))
                               .compactMap([first, leaveAlone, source](const platform::rx::Unit& value) {
                                 bool unchanged = std::exchange(*first, false) && source.changeCount() == leaveAlone;
                                 return unchanged ? std::nullopt : std::optional<platform::rx::Unit>(value);
                               })
                               .receiveOn(platform::mainExecutor())
                               .sink([weak](const platform::rx::Unit&) {
                                 if (auto self = weak.lock()) self->pasteboardDidChange();
                               });
}

platform::Task<void> PasteboardController::monitorOptionKey() {
  namespace Type = platform::EventType;
  using platform::eventMask;
  std::weak_ptr<PasteboardController> weak = weakSelf();
  // The presses come in one stream with the modifier changes, in the order they happened. Where the presses of other
  // applications cannot be seen, the modifiers alone are followed.
  const platform::EventMask modifiers = eventMask(Type::flagsChanged);
  const platform::EventMask presses = eventMask(Type::keyDown) | eventMask(Type::leftMouseDown) |
                                      eventMask(Type::rightMouseDown) | eventMask(Type::otherMouseDown) |
                                      eventMask(Type::scrollWheel);
  const bool pressesSeen = !platform::InputMonitors::globalMonitorUnavailableReason(modifiers | presses);
  platform::AsyncStream<platform::Event> events = kit::globalEventStream(pressesSeen ? modifiers | presses : modifiers);
  while (auto event = co_await events.next()) {
    auto self = weak.lock();
    if (!self) continue;
    if (event->type == Type::flagsChanged) {
      self->modifierFlagsChanged(event->modifierFlags);
    } else {
      self->inputPressed();
    }
  }
}

void PasteboardController::modifierFlagsChanged(uint64_t flags) {
  flags &= Flag::deviceIndependentMask & ~(Flag::capsLock | Flag::numericPad | Flag::function);
  if (flags == 0 && lastModifiers_ == Flag::option && !pressedWithModifiers_)
    lastOptionKeyPress_ = platform::clock().now();
  if (flags == 0) pressedWithModifiers_ = false;
  lastModifiers_ = flags == 0 ? 0 : (lastModifiers_ | flags);
}

void PasteboardController::inputPressed() {
  if (lastModifiers_ != 0) pressedWithModifiers_ = true;
}

void PasteboardController::pasteboardDidChange() {
  // One decision waiting is enough: it decides on the content found when its turn comes.
  if (std::exchange(decisionWaiting_, true)) return;
  inTurn([this] {
    decisionWaiting_ = false;
    decideChange();
  });
}

void PasteboardController::inTurn(std::function<void()> pass) {
  // Reading another client's clipboard and taking it for our write wait in loops of their own, where the next
  // change, a shortcut or a check after a synthetic copy can ask for another pass.
  passesWaiting_.push_back(std::move(pass));
  passes_.run([this] {
    while (!passesWaiting_.empty()) {
      auto next = std::move(passesWaiting_.front());
      passesWaiting_.pop_front();
      next();
    }
  });
}

void PasteboardController::decideAgainAfter(ClipboardLoopGuard::Clock::duration wait) {
  bool posted = deferredChange_.has_value();
  deferredChange_ = pasteboard_.changeCount();
  if (posted) return;
  platform::mainExecutor().postAfter(wait, [weak = weakSelf()] {
    auto self = weak.lock();
    if (!self) return;
    auto deferred = std::exchange(self->deferredChange_, std::nullopt);
    // Switched off meanwhile, or a newer change came and was decided on its own.
    if (!self->isWatching() || deferred != self->pasteboard_.changeCount()) return;
    self->pasteboardDidChange();
  });
}

void PasteboardController::decideChange() {
  // Content we cleaned (our own write coming back, above all) has nothing to decide: it is known before anything is
  // asked of the desktop, and its source application stays that of the copy it was made from.
  if (hasType(pasteboard_, cleanedMarkerType())) {
    logLine("IGNORING PASTEBOARD", __LINE__);
    return;
  }
  pasteboardItemSourceApp_.reset();
  if (shouldSkip()) {
    platform::printLineToStandardOutput("Skip: clearing formatting");
    return;
  }
  const ClearingSettings settings = ClearingSettings::current();
  if (settings.automaticallyClearFormatting) {
    if (auto source = sourceAppBundleIdentifier(settings)) {
      pasteboardItemSourceApp_ = source;
      if (settings.isExcluded(*source)) {
        logLine(excludedAppLine(*source), __LINE__);
        return;
      }
    }
  }
  // A clipboard manager may answer each of our writes by taking the clipboard back.
  const auto now = ClipboardLoopGuard::Clock::now();
  const auto [text, html, rtf] = contentForLoopGuard(settings.preserveLinks);
  switch (loopGuard_.check({viewOf(text), viewOf(html), viewOf(rtf)}, pasteboard_.contentOwner(), now)) {
    case ClipboardLoopGuard::Verdict::clean:
      break;
    case ClipboardLoopGuard::Verdict::notYet:
      decideAgainAfter(loopGuard_.waitBeforeNextPass(now));
      return;
    case ClipboardLoopGuard::Verdict::keepsComingBack:
      logLine("Skip: the same content keeps coming back after cleaning; it is left alone while it does", __LINE__);
      return;
    case ClipboardLoopGuard::Verdict::ourWriteCameBack:
      return;
  }
  clearFormatting(settings);
  loopGuard_.passed(now);
}

std::array<platform::SharedBytes, 3> PasteboardController::contentForLoopGuard(bool preserveLinks) {
  using platform::PasteboardType::html;
  using platform::PasteboardType::rtf;
  using platform::PasteboardType::string;
  // RTF is read only where a pass reads it too: while links are kept, or when the copy offers no plain text.
  auto text = pasteboard_.sharedString(string);
  bool readsRtf = preserveLinks || !text;
  return {std::move(text), pasteboard_.sharedString(html), readsRtf ? pasteboard_.sharedData(rtf) : nullptr};
}

bool PasteboardController::shouldSkip() {
  if (hasType(pasteboard_, remoteClipboardType)) return true;
  if ((platform::InputMonitors::currentModifierFlags() & Flag::option) != 0) return true;
  if (kit::isWithin(lastOptionKeyPress_, std::chrono::seconds(-3))) return true;
  return hasType(pasteboard_, calendarEventType) && pasteboard_.items().size() >= 2;
}

std::optional<std::string> PasteboardController::sourceAppBundleIdentifier(const ClearingSettings& settings) {
  if (auto source = engine::sourceAppBundleIdentifier(pasteboard_)) return source;
  if (auto owner = pasteboard_.ownerApplication()) return owner;
  if (auto forced = forcedFrontmostAppBundleIdentifier(settings); forced.isForced()) return forced.bundleIdentifier();
  return userAppBundleIdentifier();
}

ForcedFrontmostApp PasteboardController::forcedFrontmostAppBundleIdentifier(const ClearingSettings& settings) {
  if (!settings.forceUsingFrontmostApp) return ForcedFrontmostApp::notForced();
  auto app = platform::Workspace::shared().frontmostApplication();
  if (!app) return ForcedFrontmostApp::notForced();
  return ForcedFrontmostApp::forced(app->bundleIdentifier);
}

std::optional<ContentToRead> PasteboardController::contentToReadNow(bool preserveLinks) {
  bool concealedRichText = hasType(pasteboard_, kit::PasteboardType::concealed) && offersRichText(pasteboard_);
  if (hasType(pasteboard_, cleanedMarkerType())) return std::nullopt;
  if (!concealedRichText && shouldBeLeftAlone(pasteboard_)) return std::nullopt;
  return contentToRead(pasteboard_, preserveLinks, [this] { return sourceAppFromOwnerThenUserApp(pasteboard_); });
}

std::optional<StringOrAttributedStringType> PasteboardController::currentContent() {
  auto content = contentToReadNow(ClearingSettings::current().preserveLinks);
  if (!content) return std::nullopt;
  return readContent(*content);
}

void PasteboardController::clearFormatting() { clearFormatting(ClearingSettings::current()); }

void PasteboardController::clearFormatting(const ClearingSettings& settings, ClearingCompletion completion) {
  auto wroteNothing = [&completion] {
    if (completion) completion(ClearingOutcome::nothingWritten);
  };
  if (!pasteboardItemSourceApp_) pasteboardItemSourceApp_ = engine::sourceAppBundleIdentifier(pasteboard_);
  // Everything below belongs to this change; the write happens only while the clipboard still holds it.
  const int64_t changeCount = pasteboard_.changeCount();
  if (passInBackground_ && passInBackground_->changeCount == changeCount) {  // it is being cleaned
    if (completion) passInBackground_->completions.push_back(std::move(completion));
    return;
  }
  if (pasteboard_.contentExceedsReadLimit()) {
    leaveTooLargeContentAlone(changeCount);
    return wroteNothing();
  }
  auto content = contentToReadNow(settings.preserveLinks);
  if (!content) return wroteNothing();
  if (content->size() > largestContentToClean) {
    leaveTooLargeContentAlone(changeCount);
    return wroteNothing();
  }

  std::vector<platform::PasteboardEntry> markers = markersToWriteBack(changeCount, settings);
  const TextTransformOptions options = settings.transforms;
  std::optional<ScriptStep> script = scriptStep(settings);
  if (content->size() <= largestContentCleanedAtOnce && !script) {
    bool wrote = finishClearing(cleanContent(*content, options, script), std::move(markers), changeCount);
    if (completion) completion(wrote ? ClearingOutcome::written : ClearingOutcome::nothingWritten);
    return;
  }
  // Large content, and any content the user's script sees (the main loop never waits on the script worker), is
  // cleaned off the main thread, one pass at a time; a pass that a newer one overtook before it started is
  // dropped. The write happens on the main thread, only while the clipboard still holds this change.
  if (passInBackground_) passInBackground_->overtaken = true;
  auto pass = std::make_shared<BackgroundPass>(changeCount);
  if (completion) pass->completions.push_back(std::move(completion));
  passInBackground_ = pass;
  if (!backgroundPasses_) {
    backgroundPasses_ =
        std::make_unique<platform::SerialExecutor>(platform::globalExecutor(platform::Priority::userInitiated));
  }
  backgroundPasses_->post([weak = weakSelf(), pass, content = std::move(*content), options, script,
                           markers = std::move(markers)]() mutable {
    std::optional<CleanedContent> cleaned;
    if (!pass->overtaken) cleaned = cleanContent(content, options, script);
    platform::mainExecutor().post([weak, pass, cleaned = std::move(cleaned), markers = std::move(markers)]() mutable {
      bool wrote = false;
      if (auto self = weak.lock()) {
        if (self->passInBackground_ == pass) self->passInBackground_.reset();
        wrote = self->finishClearing(std::move(cleaned), std::move(markers), pass->changeCount);
      }
      for (auto& completion : std::exchange(pass->completions, {}))
        completion(wrote ? ClearingOutcome::written : ClearingOutcome::nothingWritten);
    });
  });
}

PasteboardController::BackgroundPass::~BackgroundPass() {
  for (auto& completion : completions)
    platform::mainExecutor().post(
        [completion = std::move(completion)] { completion(ClearingOutcome::nothingWritten); });
}

void PasteboardController::clearFormattingNow(ClearingCompletion completion) {
  whenCopyIsHandedOver(commandReadPatience, [weak = weakSelf(), completion = std::move(completion)](bool handedOver) {
    auto self = weak.lock();
    if (!self || !handedOver) {
      if (completion) completion(ClearingOutcome::nothingWritten);
      return;
    }
    self->inTurn([self = self.get(), completion] {
      // The source application of an earlier change must not be taken for this content's: the pass looks it up
      // in this content's markers.
      self->forgetSourceApp();
      self->clearFormatting(ClearingSettings::current(), completion);
    });
  });
}

void PasteboardController::whenCopyIsHandedOver(std::chrono::milliseconds patience,
                                                std::function<void(bool handedOver)> then) {
  pasteboard_.whenLastChangeIsRead(patience, [weak = weakSelf(), patience, then = std::move(then)](bool read) {
    if (!read && !weak.expired()) {
      const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(patience).count();
      kit::log({"Could not clear formatting: the application that copied did not hand its copy over within " +
                std::to_string(seconds) + " seconds; the clipboard stays as it was"},
               kit::LogType::error, "clearFormatting()", "PasteboardController", __LINE__);
    }
    then(read);
  });
}

void PasteboardController::leaveTooLargeContentAlone(int64_t changeCount) {
  if (std::exchange(tooLargeContentLoggedFor_, changeCount) == changeCount) return;
  kit::log(
      {"Skip: the content is too large to clean (more than " + std::to_string(largestContentToClean >> 20) + " MB)"},
      kit::LogType::defaultType, "clearFormatting()", "PasteboardController", __LINE__);
}

std::vector<platform::PasteboardEntry> PasteboardController::markersToWriteBack(int64_t changeCount,
                                                                                const ClearingSettings& settings) {
  std::vector<platform::PasteboardEntry> markers;
  auto source = pasteboard_.string(kit::PasteboardType::source);
  auto modified = pasteboard_.string(kit::PasteboardType::modified);
  if (source) markers.push_back({kit::PasteboardType::source, *source});
  markers.push_back({cleanedMarkerType(), ""});
  if (settings.improveCompatibilityWithAppendOperations) markers.push_back({kit::PasteboardType::autoGenerated, ""});
  markers.push_back({kit::PasteboardType::modified, modified.value_or(std::to_string(changeCount))});
  std::vector<std::string_view> preservedTypes(calendarPasteboardTypes().begin(), calendarPasteboardTypes().end());
  if (pasteboard_.availableType(preservedTypes)) {
    restorePreservedItemData(preservedItemData(pasteboard_.items(), calendarPasteboardTypes()), markers);
  }
  return markers;
}

std::optional<ScriptStep> PasteboardController::scriptStep(const ClearingSettings& settings) {
  if (isEditingCode_) return std::nullopt;
  if (!settings.transformTextWithJavaScript || settings.preserveLinks) return std::nullopt;
  if (!hasNonWhitespace(settings.javaScriptCode)) return std::nullopt;
  // Nothing of a run on a copy marked concealed (a password, say) reaches standard output.
  const bool concealed = hasType(pasteboard_, kit::PasteboardType::concealed);
  ScriptStep step = runScriptStep(settings.javaScriptCode);
  step.consoleLinesPrinted = concealed ? ConsoleLinesPrinted::no : ConsoleLinesPrinted::yes;
  return step;
}

bool PasteboardController::finishClearing(std::optional<CleanedContent> cleaned,
                                          std::vector<platform::PasteboardEntry> markers, int64_t changeCount) {
  if (!cleaned) return false;
  std::vector<platform::PasteboardEntry> entries = std::move(cleaned->entries);
  std::move(markers.begin(), markers.end(), std::back_inserter(entries));
  bool wrote = pasteboard_.write(std::move(entries), changeCount);  // false: a newer copy arrived; it has its own pass
  if (cleaned->scriptFailure) presentScriptError(*cleaned->scriptFailure);
  if (!wrote) return false;
  loopGuard_.wrote(std::move(cleaned->written), ClipboardLoopGuard::Clock::now());
  platform::printLineToStandardOutput("Finished clearing");
  return true;
}

void PasteboardController::clearAskedCopy(const AskedCopy& copy) {
  inTurn([this, copy] {
    if (hasType(pasteboard_, cleanedMarkerType())) return;
    // What the clipboard held at the key press is cleaned whoever made it (the keystroke may have copied nothing); a
    // copy made since, only when it may be the answer to the keystroke.
    const auto match =
        pasteboard_.changeCount() == copy.countAtPress ? AskedCopyMatch::asked : matchAskedCopy(pasteboard_, copy);
    if (match == AskedCopyMatch::another) return;
    // The exclusion list is automatic clearing's: the user asked for this copy to be cleaned.
    const ClearingSettings settings = ClearingSettings::current();
    pasteboardItemSourceApp_ = match == AskedCopyMatch::takenOver
                                   ? engine::sourceAppBundleIdentifier(pasteboard_).value_or(*copy.application)
                                   : sourceAppBundleIdentifier(settings);
    clearFormatting(settings);
  });
}

std::string PasteboardController::transformTextWithJavaScript(const std::string& text) {
  auto script = scriptStep(ClearingSettings::current());
  if (!script) return text;
  std::optional<kit::PlatformError> failure;
  std::string result = script->transformTextWithJavaScript(text, failure);
  if (failure) presentScriptError(*failure);
  return result;
}

std::optional<std::string> PasteboardController::runJavaScript(const std::string& code, const std::string& text,
                                                               const JavaScriptLogHandler& logHandler,
                                                               JavaScriptTimeLimit timeLimit) {
  return runScriptStep(code).run(text, logHandler, timeLimit);
}

ScriptStep PasteboardController::runScriptStep(std::string code) const { return {std::move(code), scriptSourceApp()}; }

std::optional<std::string> PasteboardController::scriptSourceApp() const {
  return isEditingCode_ ? std::optional<std::string>(kit::ZvApp::id()) : pasteboardItemSourceApp_;
}

void PasteboardController::presentScriptError(const kit::Error& failure) {
  if (*scriptAlertIsShown_) {
    kit::log({"A script error occurred while the alert of an earlier one is open"}, kit::LogType::error,
             "transformTextWithJavaScript(_:)");
    return;
  }
  *scriptAlertIsShown_ = true;
  kit::PlatformError error = kit::prefixingLocalizedDescription(failure, "[JavaScript Exception]");
  // Started on a later turn of the main loop, so that the pass writes its text before the alert shows.
  platform::spawn(platform::mainExecutor(), [shown = scriptAlertIsShown_, error]() -> platform::Task<void> {
    co_await kit::presentAsModalAsync(error);
    *shown = false;
  });
}

}  // namespace engine
