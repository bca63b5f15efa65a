#include "engine/clipboard_loop_guard.h"

#include <functional>
#include <string_view>
#include <utility>

namespace engine {

namespace {

std::size_t fingerprintOf(const ClipboardLoopGuard::Content& content) {
  std::size_t hash = 0;
  for (const auto* part : {&content.text, &content.html, &content.rtf}) {
    std::size_t partHash = part->has_value() ? std::hash<std::string_view>{}(**part) : 0x9e3779b9;
    hash = hash * 31 + partHash;
  }
  return hash;
}

// A rich form that a clipboard manager kept must be ours; one that it dropped tells nothing.
bool keptAsWritten(const std::optional<std::string>& read, const std::optional<std::string>& written) {
  return !read || read == written;
}

}  // namespace

ClipboardLoopGuard::Clock::duration ClipboardLoopGuard::waitBeforeNextPass(Clock::time_point now) const {
  if (static_cast<int>(passes_.size()) < passesPerSecond) return Clock::duration::zero();
  Clock::time_point allowed = passes_[passes_.size() - passesPerSecond] + std::chrono::seconds(1);
  return allowed > now ? allowed - now : Clock::duration::zero();
}

bool ClipboardLoopGuard::isOurWrite(const Content& content, Clock::time_point now) const {
  if (!lastWrite_ || now - lastWrite_->at >= window) return false;
  const Content& written = lastWrite_->content;
  return content.text == written.text && keptAsWritten(content.html, written.html) &&
         keptAsWritten(content.rtf, written.rtf);
}

ClipboardLoopGuard::Verdict ClipboardLoopGuard::check(const Content& content, Owner owner, Clock::time_point now) {
  if (isOurWrite(content, now)) return Verdict::ourWriteCameBack;
  std::size_t fingerprint = fingerprintOf(content);
  bool arrivedBefore = run_ && run_->fingerprint == fingerprint && now - run_->lastArrival <= window;
  // The content we cleaned last, back within the window of that write.
  bool backAfterOurWrite =
      arrivedBefore && lastWrite_ && lastWrite_->at >= run_->lastArrival && now - lastWrite_->at < window;
  if (backAfterOurWrite && waitBeforeNextPass(now) > Clock::duration::zero()) return Verdict::notYet;
  if (!arrivedBefore) {
    // Another client offering new content right after our write, sooner than a user could copy anew, is a manager
    // taking the clipboard back with what it kept of the copy: that copy's application stays the origin.
    bool retaken = run_ && lastWrite_ && now - lastWrite_->at < rightAfterOurWrite && owner != run_->origin;
    run_ = Run{fingerprint, retaken ? run_->origin : owner, now};
    return Verdict::clean;
  }
  run_->lastArrival = now;
  // The user copying the same content again, in its application or after a while, is a copy of its own.
  if (owner == run_->origin || !backAfterOurWrite) {
    run_->cleanings = 0;
    return Verdict::clean;
  }
  return run_->cleanings < cleaningsOfReturningContent ? Verdict::clean : Verdict::keepsComingBack;
}

void ClipboardLoopGuard::passed(Clock::time_point now) {
  if (run_) ++run_->cleanings;
  passes_.push_back(now);
  while (static_cast<int>(passes_.size()) > passesPerSecond) passes_.pop_front();
}

void ClipboardLoopGuard::wrote(Content content, Clock::time_point now) { lastWrite_ = Write{std::move(content), now}; }

}  // namespace engine
