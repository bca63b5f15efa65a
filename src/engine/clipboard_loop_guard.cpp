#include "engine/clipboard_loop_guard.h"

#include <QCryptographicHash>
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

std::string digestBytes(std::string_view text) {
  QCryptographicHash hash(QCryptographicHash::Blake2b_256);
  hash.addData(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
  const QByteArray result = hash.result();
  return {result.constData(), static_cast<std::size_t>(result.size())};
}

}  // namespace

ClipboardLoopGuard::WrittenContent::WrittenContent(const Content& content)
    : text_(digestOf(content.text)), html_(digestOf(content.html)), rtf_(digestOf(content.rtf)) {}

// BLAKE2b (256 bits) with the length: a text of another length differs without being read, and two texts of one
// length never pass for each other, however they were made.
auto ClipboardLoopGuard::WrittenContent::digestOf(const std::optional<std::string_view>& text)
    -> std::optional<Digest> {
  if (!text) return std::nullopt;
  return Digest{text->size(), digestBytes(*text)};
}

bool ClipboardLoopGuard::WrittenContent::matches(const std::optional<std::string_view>& read,
                                                 const std::optional<Digest>& written) {
  if (!read || !written) return !read && !written;
  return read->size() == written->length && digestBytes(*read) == written->bytes;
}

ClipboardLoopGuard::Clock::duration ClipboardLoopGuard::waitBeforeNextPass(Clock::time_point now) const {
  if (static_cast<int>(passes_.size()) < passesPerSecond) return Clock::duration::zero();
  Clock::time_point allowed = passes_[passes_.size() - passesPerSecond] + std::chrono::seconds(1);
  return allowed > now ? allowed - now : Clock::duration::zero();
}

bool ClipboardLoopGuard::isOurWrite(const Content& content, Clock::time_point now) const {
  if (!lastWrite_ || now - lastWrite_->at >= window) return false;
  // A rich form that a clipboard manager kept must be ours; one that it dropped tells nothing.
  using Digest = WrittenContent::Digest;
  auto keptAsWritten = [](const std::optional<std::string_view>& read, const std::optional<Digest>& written) {
    return !read || WrittenContent::matches(read, written);
  };
  const WrittenContent& written = lastWrite_->content;
  return WrittenContent::matches(content.text, written.text_) && keptAsWritten(content.html, written.html_) &&
         keptAsWritten(content.rtf, written.rtf_);
}

ClipboardLoopGuard::Verdict ClipboardLoopGuard::check(const Content& content, Owner owner, Clock::time_point now) {
  if (isOurWrite(content, now)) return Verdict::ourWriteCameBack;
  const std::size_t fingerprint = fingerprintOf(content);
  const std::optional<uint64_t> presses = input_ != nullptr ? input_->pressesSoFar() : std::nullopt;
  const bool pressed = presses && pressedSinceLastPass(*presses);
  // Where the presses are shown, the same content is the same however late it comes; by time alone, within the window.
  const bool arrivedBefore = run_ && run_->fingerprint == fingerprint && (presses || now - run_->lastArrival <= window);
  const bool sameClient = run_ && owner == run_->origin;
  if (arrivedBefore && presses) {
    // A key held while its own client offers it again is the server repeating the key the person holds: its press came
    // before our last pass, and the repeats are no presses of their own. The last repeat's copy may be decided only
    // after the release.
    const bool repeating = !pressed && sameClient && (input_->keyHeld() || std::exchange(run_->repeating, false));
    if (pressed || repeating) {
      // The person copied it again, in its application or in another: cleaned at once, and counted anew.
      *run_ = Run{fingerprint, owner, now};
      run_->repeating = repeating;
      heldBack_.reset();
      return Verdict::clean;
    }
  }
  // The content we cleaned last, back within the window of that write.
  const bool backAfterOurWrite =
      arrivedBefore && lastWrite_ && lastWrite_->at >= run_->lastArrival && now - lastWrite_->at < window;
  if (backAfterOurWrite && waitBeforeNextPass(now) > Clock::duration::zero()) {
    if (!heldBack_ || heldBack_->fingerprint != fingerprint) heldBack_ = HeldBack{fingerprint, now};
    return Verdict::notYet;
  }
  const Clock::time_point cameAt = arrivalOf(fingerprint, now);
  if (!arrivedBefore) {
    // Another client offering new content right after our write, sooner than a person could copy anew and with
    // nothing pressed since, is a manager taking the clipboard back with what it kept of the copy: that copy's
    // application stays the origin.
    const bool retaken =
        run_ && lastWrite_ && now - lastWrite_->at < rightAfterOurWrite && owner != run_->origin && !pressed;
    run_ = Run{fingerprint, retaken ? run_->origin : owner, now};
    return Verdict::clean;
  }
  run_->lastArrival = now;
  // With the presses shown, it comes back with nothing pressed: a program offers it again. By time alone, only its
  // own application offering it again right after our write counts as a program: later it may be a person.
  const bool cameBack = presses || (backAfterOurWrite && (!sameClient || cameAt - lastWrite_->at < rightAfterOurWrite));
  if (!cameBack) {
    run_->cleanings = 0;  // copied anew
    return Verdict::clean;
  }
  const int cleaningsAllowed = sameClient ? cleaningsOfContentOfferedAgainAtOnce : cleaningsOfReturningContent;
  return run_->cleanings < cleaningsAllowed ? Verdict::clean : Verdict::keepsComingBack;
}

// How soon content came back counts from when it came, however long the pace held it back.
ClipboardLoopGuard::Clock::time_point ClipboardLoopGuard::arrivalOf(std::size_t fingerprint, Clock::time_point now) {
  auto held = std::exchange(heldBack_, std::nullopt);
  return held && held->fingerprint == fingerprint && now - held->since < window ? held->since : now;
}

void ClipboardLoopGuard::passed(Clock::time_point now) {
  if (run_) ++run_->cleanings;
  passes_.push_back(now);
  while (static_cast<int>(passes_.size()) > passesPerSecond) passes_.pop_front();
  notePresses();
}

void ClipboardLoopGuard::wrote(WrittenContent content, Clock::time_point now) {
  lastWrite_ = Write{std::move(content), now};
  heldBack_.reset();  // what it held back was decided, or overtaken by what we wrote
  notePresses();
}

void ClipboardLoopGuard::notePresses() {
  if (input_ != nullptr) pressesAtLastPass_ = input_->pressesSoFar();
}

}  // namespace engine
