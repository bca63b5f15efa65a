#include "platform/pasteboard/x11_pasteboard.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>
#include <algorithm>
#include <cstdlib>
#include <iterator>

#include "app_identity.h"
#include "platform/core/executor.h"
#include "platform/core/log_sink.h"
#include "platform/pasteboard/qt_event_time.h"
#include "platform/pasteboard/x11_clipboard_keeper.h"
#include "platform/pasteboard/x11_targets.h"
#include "platform/system/application_identity.h"
#include "platform/system/x11_connection.h"
#include "platform/system/xcb_reply.h"

namespace platform {

namespace {

QClipboard* clipboard() { return qGuiApp != nullptr ? QGuiApplication::clipboard() : nullptr; }

void logError(const std::string& message) {
  sendToJournal({.message = message,
                 .level = LogLevel::error,
                 .identifier = identity::applicationId,
                 .category = "general",
                 .file = __FILE__,
                 .function = "X11Pasteboard"});
  mirrorToStandardError(message + "\n");
}

bool contains(const std::vector<std::string>& list, const std::string& value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

}  // namespace

Pasteboard& generalPasteboard() {
  static X11Pasteboard* pasteboard = new X11Pasteboard;  // lives for the process, like the clipboard
  return *pasteboard;
}

X11Pasteboard::X11Pasteboard() { startReading(); }

void X11Pasteboard::startReading() {
  // The clipboard exists once the GUI application does; a pasteboard made earlier starts on first use.
  if (started_ || qGuiApp == nullptr) return;
  started_ = true;
  auto* native = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (native == nullptr || native->connection() == nullptr) return;  // no X server: our own content only
  const xcb_setup_t* setup = xcb_get_setup(native->connection());
  qtResourceBase_ = setup->resource_id_base;
  qtResourceMask_ = setup->resource_id_mask;
  qtEventTime_ = std::make_unique<QtEventTime>(native->connection());

  X11SelectionReader::Options options;
  options.readAhead = [this](const std::vector<std::string>& offered) { return readAheadTargets(offered); };
  options.isOwnWindow = [this](xcb_window_t window) { return isOurWindow(window); };
  options.contentRead = [this](std::shared_ptr<const SelectionContent> content) {
    {
      std::lock_guard lock(mutex_);
      anyContentCame_ = true;
      if (content->serial == 1) firstContent_ = content;
    }
    contentCame_.notify_all();
    // The reader stops before this object goes; what it posted and was not delivered then is dropped with it.
    QMetaObject::invokeMethod(
        this, [this, content = std::move(content)]() mutable { contentRead(std::move(content)); },
        Qt::QueuedConnection);
  };
  reader_ = X11SelectionReader::start(std::move(options));
}

X11Pasteboard::~X11Pasteboard() {
  endWeakHolds();
  reader_.reset();
}

bool X11Pasteboard::isOurWindow(uint32_t window) const {
  return window != XCB_NONE && qtResourceMask_ != 0 && (window & ~qtResourceMask_) == qtResourceBase_;
}

std::vector<std::string> X11Pasteboard::readAheadTargets(const std::vector<std::string>& offered) {
  std::lock_guard lock(mutex_);
  return x11targets::readAheadTargets(x11targets::contentTargets(offered), typesToReadAhead_);
}

void X11Pasteboard::setTypesToReadAhead(std::vector<std::string> types) {
  std::lock_guard lock(mutex_);
  typesToReadAhead_ = std::move(types);
}

void X11Pasteboard::contentRead(std::shared_ptr<const SelectionContent> content) {
  // The reader let go of this lock after it filled the content and before it posted it here. Qt's event queue orders
  // the two threads as well, but with a lock of its own that the thread sanitizer cannot see; this one it can.
  { std::lock_guard lock(mutex_); }
  takeIn(std::move(content));
  answerWaitersForContent();
}

void X11Pasteboard::takeIn(std::shared_ptr<const SelectionContent> content) {
  if (content->serial <= installedSerial_) return;
  // Our own write counts itself; an owner change seen during it is taken in after it.
  if (writing_) {
    arrivedWhileWriting_.push_back(std::move(content));
    return;
  }
  installedSerial_ = content->serial;
  if (isOurWindow(content->owner)) return;
  bool first = content->serial == 1;  // what the clipboard held when reading began is no change
  install(std::move(content));
  if (first) return;
  changeCount_.fetch_add(1, std::memory_order_relaxed);
  announceChange();
}

void X11Pasteboard::install(std::shared_ptr<const SelectionContent> content) {
  snapshot_ = Snapshot{};
  snapshot_.serial = content->serial;
  snapshot_.targets = x11targets::contentTargets(content->targets);
  snapshot_.content = std::move(content);
}

void X11Pasteboard::installFirstContent() {
  // Until the first content is read, a question about it waits for it (within the patience of a change).
  if (installedSerial_ != 0 || !reader_ || snapshot_.ours) return;
  std::unique_lock lock(mutex_);
  contentCame_.wait_for(lock, readPatience, [this] { return anyContentCame_; });
  auto first = firstContent_;
  lock.unlock();
  if (first && installedSerial_ == 0) {
    installedSerial_ = first->serial;
    install(std::move(first));
  }
}

X11Pasteboard::Snapshot& X11Pasteboard::snapshot() {
  startReading();
  installFirstContent();
  return snapshot_;
}

void X11Pasteboard::readTargets(std::vector<std::string> targets) {
  Snapshot& s = snapshot();
  std::erase_if(targets, [&](const std::string& target) {
    return s.targetData.count(target) != 0 || (s.content && s.content->data.count(target) != 0) ||
           !contains(s.targets, target);
  });
  if (targets.empty()) return;
  std::map<std::string, std::optional<Bytes>> read;
  if (s.content && reader_ && !s.content->ownerHung && s.patienceLeft > std::chrono::nanoseconds::zero()) {
    auto started = std::chrono::steady_clock::now();
    read = reader_->read(s.content->serial, targets, std::chrono::ceil<std::chrono::milliseconds>(s.patienceLeft));
    s.patienceLeft -= std::chrono::steady_clock::now() - started;
  }
  for (const auto& target : targets) s.targetData[target] = read[target];
}

std::optional<Bytes> X11Pasteboard::readTarget(const std::string& target) {
  Snapshot& s = snapshot();
  if (s.content) {
    if (auto read = s.content->data.find(target); read != s.content->data.end()) return read->second;
  }
  if (auto known = s.targetData.find(target); known != s.targetData.end()) return known->second;
  readTargets({target});
  auto known = s.targetData.find(target);
  return known != s.targetData.end() ? known->second : std::nullopt;
}

std::vector<std::string> X11Pasteboard::types() {
  Snapshot& s = snapshot();
  if (!s.types) {
    s.types = x11targets::logicalTypes(s.targets, [this](const std::string& target) { return readTarget(target); });
  }
  return *s.types;
}

std::optional<Bytes> X11Pasteboard::data(std::string_view type) {
  SharedBytes bytes = sharedData(type);
  return bytes ? std::optional<Bytes>(*bytes) : std::nullopt;
}

SharedBytes X11Pasteboard::sharedData(std::string_view type) {
  Snapshot& s = snapshot();
  std::string key(type);
  if (auto known = s.typeData.find(key); known != s.typeData.end()) return known->second;
  auto read = x11targets::readType(key, s.targets, [this](const std::string& target) { return readTarget(target); });
  SharedBytes& bytes = s.typeData[key];
  if (read) bytes = std::make_shared<const Bytes>(std::move(*read));
  return bytes;
}

std::vector<PasteboardItem> X11Pasteboard::items() {
  readTargets(snapshot().targets);  // together rather than one by one
  PasteboardItem item;
  for (const auto& type : types()) {
    item.types.push_back(type);
    if (auto bytes = data(type)) item.dataByType[type] = *bytes;
  }
  if (item.types.empty()) return {};
  return {item};
}

void X11Pasteboard::whenLastChangeIsRead(std::chrono::milliseconds patience, std::function<void(bool read)> then) {
  startReading();
  if (!reader_) return then(true);  // other clients' content is not read: ours is all there is
  auto last = reader_->lastOwnerChange(readPatience);
  if (!last) return then(false);
  if (last->serial <= installedSerial_) return then(!ownerHandedNothingOver());
  const uint64_t id = ++lastWaiterId_;
  contentWaiters_.push_back({id, last->serial, std::move(then)});
  mainExecutor().postAfter(patience, [self = QPointer<X11Pasteboard>(this), id] {
    if (self) self->stopWaitingForContent(id);
  });
}

void X11Pasteboard::answerWaitersForContent() {
  auto ready = std::stable_partition(contentWaiters_.begin(), contentWaiters_.end(),
                                     [&](const ContentWaiter& waiter) { return waiter.serial > installedSerial_; });
  std::vector<ContentWaiter> answered(std::make_move_iterator(ready), std::make_move_iterator(contentWaiters_.end()));
  contentWaiters_.erase(ready, contentWaiters_.end());
  // Posted: a write of ours takes in what came meanwhile, and an answer may start another write.
  const bool read = !ownerHandedNothingOver();
  for (auto& waiter : answered) {
    QMetaObject::invokeMethod(
        this, [read, then = std::move(waiter.then)] { then(read); }, Qt::QueuedConnection);
  }
}

bool X11Pasteboard::ownerHandedNothingOver() const {
  const auto& content = snapshot_.content;
  return content && content->ownerHung &&
         std::none_of(content->data.begin(), content->data.end(),
                      [](const auto& read) { return read.second.has_value(); });
}

void X11Pasteboard::stopWaitingForContent(uint64_t waiter) {
  auto it = std::find_if(contentWaiters_.begin(), contentWaiters_.end(),
                         [&](const ContentWaiter& each) { return each.id == waiter; });
  if (it == contentWaiters_.end()) return;
  auto then = std::move(it->then);
  contentWaiters_.erase(it);
  then(false);
}

bool X11Pasteboard::contentExceedsReadLimit() {
  Snapshot& s = snapshot();
  return s.content && s.content->tooLarge;
}

bool X11Pasteboard::write(std::vector<PasteboardEntry> entries, std::optional<int64_t> onlyIfChangeCountIs) {
  if (onlyIfChangeCountIs && *onlyIfChangeCountIs != changeCount()) return false;
  QClipboard* c = clipboard();
  if (c == nullptr) return false;
  // The clipboard is taken only while the owner change whose content was read is the last one: once another client
  // took it, even the same client again, that newer copy wins.
  const uint64_t readSerial = snapshot().serial;
  std::optional<X11SelectionReader::OwnerChange> before;
  if (reader_) before = reader_->lastOwnerChange(readPatience);
  if (onlyIfChangeCountIs && before && before->serial != readSerial) return false;
  const auto targets = x11targets::targetsForWrite(entries);
  auto offer = [&] {
    auto* mime = new QMimeData;
    for (const auto& target : targets) {
      QByteArray bytes(target.data.data(), static_cast<qsizetype>(target.data.size()));
      if (target.type == "text/plain") {
        mime->setText(QString::fromUtf8(bytes));  // Qt offers it as text/plain, UTF8_STRING, STRING and TEXT
      } else {
        mime->setData(QString::fromStdString(target.type), bytes);
      }
    }
    c->setMimeData(mime, QClipboard::Clipboard);
  };
  // Asked again right before a take that had to wait: a copy made meanwhile is never taken back.
  auto stillTheLastChange = [&] {
    auto now = reader_->lastOwnerChange(readPatience);
    return now && now->serial == readSerial;
  };
  writing_ = true;
  // The server ignores a take stamped earlier than the last owner's, and Qt stamps its take with the last event it
  // handled: when the news of the owner's take has not reached Qt yet (a busy main thread), Qt is shown the server's
  // time first.
  const bool qtMayBeBehind = before && before->owner != XCB_NONE && !isOurWindow(before->owner) && qtEventTime_ &&
                             !qtEventTime_->reached(before->takenAt);
  bool mayTake = true;
  if (qtMayBeBehind) {
    letQtSeeTheServerTime(before->takenAt);
    mayTake = stillTheLastChange();
  }
  if (mayTake) offer();
  // Qt believes it owns the clipboard even when the server ignored its take. Then it tries again, as long as nobody
  // else took the clipboard meanwhile.
  bool owned = mayTake && !reader_;  // without reading the clipboard there is nothing to check against
  uint64_t ownSerial = readSerial;
  for (int attempt = 0; mayTake && reader_; ++attempt) {
    auto last = reader_->lastOwnerChange(readPatience);
    if (!last) {
      auto owner = selectionOwnerWindow();
      owned = owner && isOurWindow(*owner);
      break;
    }
    // Our take went through when it is the last change, and also when another client (a clipboard manager, say)
    // took the clipboard from us right after: then our change is the one before its.
    owned = isOurWindow(last->owner) || last->lastOwnSerial > readSerial;
    ownSerial = isOurWindow(last->owner) ? last->serial : last->lastOwnSerial;
    if (owned || last->serial != readSerial) break;
    if (attempt == 3) {
      logError("The clipboard could not be taken for a write: its owner keeps it; the copy there stays as it was");
      break;
    }
    letQtSeeTheServerTime(last->takenAt);
    if (!stillTheLastChange()) break;
    offer();
  }
  writing_ = false;
  if (owned) {
    snapshot_ = Snapshot{};
    snapshot_.serial = installedSerial_ = std::max(installedSerial_, ownSerial);
    snapshot_.ours = true;
    for (const auto& target : targets) {
      snapshot_.targets.push_back(target.type);
      snapshot_.targetData[target.type] = target.data;
    }
    changeCount_.fetch_add(1, std::memory_order_relaxed);
    announceChange();
  }
  for (auto& content : std::exchange(arrivedWhileWriting_, {})) contentRead(std::move(content));
  return owned;
}

std::optional<uint32_t> X11Pasteboard::selectionOwnerWindow() {
  X11Connection* x = X11Connection::shared();
  if (x == nullptr) return std::nullopt;
  auto reply = xcbReply(xcb_get_selection_owner_reply(
      x->connection(), xcb_get_selection_owner(x->connection(), x->atom("CLIPBOARD")), nullptr));
  if (!reply) return std::nullopt;
  return reply->owner;
}

void X11Pasteboard::letQtSeeTheServerTime(uint32_t atLeast) {
  // A property change on the root window reaches Qt as an event stamped with the server's time.
  X11Connection* x = X11Connection::shared();
  if (x == nullptr) return;
  xcb_change_property(x->connection(), XCB_PROP_MODE_APPEND, x->root(), x->atom("_QUILLET_TIMESTAMP"), XCB_ATOM_STRING,
                      8, 0, nullptr);
  xcbReply(xcb_get_input_focus_reply(x->connection(), xcb_get_input_focus(x->connection()), nullptr));
  const auto until = std::chrono::steady_clock::now() + qtTimePatience;
  do {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 1);
  } while ((qtEventTime_ == nullptr || !qtEventTime_->reached(atLeast)) && std::chrono::steady_clock::now() < until);
}

bool X11Pasteboard::keepContentAfterExit() {
  std::optional<X11SelectionReader::OwnerChange> last;
  if (snapshot_.ours && reader_) last = reader_->lastOwnerChange(readPatience);
  // Nothing reads the clipboard any more: the reader's thread ends before the program does.
  reader_.reset();
  if (!last || !isOurWindow(last->owner)) return true;  // not ours, or another client copied since
  X11Connection* x = X11Connection::shared();
  if (x == nullptr) return false;
  auto manager = xcbReply(xcb_get_selection_owner_reply(
      x->connection(), xcb_get_selection_owner(x->connection(), x->atom("CLIPBOARD_MANAGER")), nullptr));
  if (manager && manager->owner != XCB_NONE) return true;
  std::vector<PasteboardEntry> targets;
  targets.reserve(snapshot_.targets.size());
  for (const auto& target : snapshot_.targets) targets.push_back({target, snapshot_.targetData[target].value_or("")});
  return clipboardkeeper::start(targets, last->takenAt);
}

rx::Publisher<int64_t> X11Pasteboard::changes() {
  startReading();
  return Pasteboard::changes();
}

std::optional<uint64_t> X11Pasteboard::contentOwner() {
  Snapshot& s = snapshot();
  if (!s.content || s.content->owner == XCB_NONE || qtResourceMask_ == 0) return std::nullopt;
  // The server hands each client a range of resource ids of the same size, ours included: the bits above the range
  // name the client.
  return s.content->owner & ~qtResourceMask_;
}

uint64_t X11Pasteboard::lastOwnerChange() {
  startReading();
  std::optional<X11SelectionReader::OwnerChange> last;
  if (reader_) last = reader_->lastOwnerChange(readPatience);
  return last ? last->serial : installedSerial_;
}

std::vector<Pasteboard::OwnerChange> X11Pasteboard::ownerChangesSince(uint64_t serial) {
  const uint64_t current = snapshot().serial;
  std::vector<OwnerChange> changes;
  if (!reader_) return changes;
  for (const auto& owner : reader_->recentOwners()) {
    if (owner.serial > serial && owner.serial <= current) changes.push_back({owner.serial, owner.at, owner.ours});
  }
  if (changes.empty() || changes.back().serial != current) return {};
  return changes;
}

std::optional<std::string> X11Pasteboard::applicationOfOwnerChange(uint64_t serial) {
  if (serial == snapshot().serial) return ownerApplication();
  X11Connection* x = X11Connection::shared();
  if (!reader_ || x == nullptr) return std::nullopt;
  const auto owners = reader_->recentOwners();
  auto change = std::find_if(owners.begin(), owners.end(), [&](const auto& owner) { return owner.serial == serial; });
  if (change == owners.end() || change->ours || change->owner == XCB_NONE) return std::nullopt;
  return applicationIdOfOwnerWindow(*x, change->owner);
}

std::optional<std::string> X11Pasteboard::ownerApplication() {
  Snapshot& s = snapshot();
  if (!s.ownerApplication) {
    X11Connection* x = X11Connection::shared();
    uint32_t owner = s.content ? s.content->owner : XCB_NONE;
    s.ownerApplication = x == nullptr || owner == XCB_NONE ? std::nullopt : applicationIdOfOwnerWindow(*x, owner);
  }
  return *s.ownerApplication;
}

}  // namespace platform
