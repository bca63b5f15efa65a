#include "platform/pasteboard/x11_pasteboard.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMimeData>

#include "platform/pasteboard/x11_targets.h"
#include "platform/system/application_identity.h"
#include "platform/system/x11_connection.h"
#include "platform/system/xcb_reply.h"

namespace platform {

namespace {

QClipboard* clipboard() { return qGuiApp != nullptr ? QGuiApplication::clipboard() : nullptr; }

}  // namespace

Pasteboard& generalPasteboard() {
  static X11Pasteboard* pasteboard = new X11Pasteboard;  // lives for the process, like the clipboard
  return *pasteboard;
}

X11Pasteboard::X11Pasteboard() { connectIfNeeded(); }

void X11Pasteboard::connectIfNeeded() {
  // The clipboard exists once the GUI application does; a pasteboard made earlier connects on first use.
  if (connected_) return;
  if (QClipboard* c = clipboard()) {
    connected_ = true;
    QObject::connect(c, &QClipboard::changed, this, [this](QClipboard::Mode mode) {
      if (mode == QClipboard::Clipboard) clipboardChanged();
    });
  }
}

bool X11Pasteboard::isOurWindow(uint32_t window) const {
  auto* native = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (native == nullptr || native->connection() == nullptr || window == XCB_NONE) return false;
  const xcb_setup_t* setup = xcb_get_setup(native->connection());
  return (window & ~setup->resource_id_mask) == setup->resource_id_base;
}

void X11Pasteboard::clipboardChanged() {
  // Qt also announces our own writes, synchronously inside setMimeData: write() counts those itself.
  if (writing_) return;
  ++changeCount_;
  announceChange();
}

X11Pasteboard::Snapshot& X11Pasteboard::snapshot() {
  connectIfNeeded();
  if (snapshot_.changeCount != changeCount_) {
    snapshot_ = Snapshot{};
    snapshot_.changeCount = changeCount_;
    snapshot_.owner = selectionOwnerWindow();
  }
  return snapshot_;
}

const std::vector<std::string>& X11Pasteboard::targets() {
  if (!snapshot().targets) {
    const int64_t count = changeCount_;
    std::vector<std::string> formats;
    QClipboard* c = clipboard();
    auto started = std::chrono::steady_clock::now();
    if (const QMimeData* mime = c != nullptr ? c->mimeData(QClipboard::Clipboard) : nullptr) {
      for (const QString& format : mime->formats()) formats.push_back(format.toStdString());
    }
    // Qt waits for the owner in a loop of its own, where the clipboard can change again: the list then
    // belongs to an older change, and the new one is asked afresh.
    if (count != changeCount_) return targets();
    Snapshot& s = snapshot();
    if (formats.empty() && std::chrono::steady_clock::now() - started >= hungOwnerThreshold) s.ownerHung = true;
    s.targets = x11targets::contentTargets(formats);
  }
  return *snapshot_.targets;
}

std::optional<Bytes> X11Pasteboard::readTarget(const std::string& target) {
  Snapshot& s = snapshot();
  if (auto it = s.targetData.find(target); it != s.targetData.end()) return it->second;
  if (s.ownerHung) return std::nullopt;
  const int64_t count = changeCount_;
  std::optional<Bytes> result;
  QClipboard* c = clipboard();
  auto started = std::chrono::steady_clock::now();
  if (const QMimeData* mime = c != nullptr ? c->mimeData(QClipboard::Clipboard) : nullptr) {
    QString format = QString::fromStdString(target);
    if (mime->hasFormat(format)) {
      // Qt folds UTF8_STRING, STRING and TEXT into text/plain and converts them itself.
      QByteArray bytes = target == "text/plain" ? mime->text().toUtf8() : mime->data(format);
      result = Bytes(bytes.constData(), static_cast<size_t>(bytes.size()));
    }
  }
  // The owner may have changed while Qt waited for it; keep only what belongs to this change.
  if (count != changeCount_) return result;
  if ((!result || result->empty()) && std::chrono::steady_clock::now() - started >= hungOwnerThreshold) {
    snapshot().ownerHung = true;
    result.reset();
  }
  snapshot().targetData[target] = result;
  return result;
}

std::vector<std::string> X11Pasteboard::types() {
  if (snapshot().types) return *snapshot_.types;
  const int64_t count = changeCount_;
  const std::vector<std::string> offered = targets();
  auto reader = [this](const std::string& target) { return readTarget(target); };
  std::vector<std::string> result = x11targets::logicalTypes(offered, reader);
  if (count == changeCount_) snapshot().types = result;
  return result;
}

std::optional<Bytes> X11Pasteboard::data(std::string_view type) {
  std::string key(type);
  {
    Snapshot& s = snapshot();
    if (auto it = s.typeData.find(key); it != s.typeData.end()) return it->second;
  }
  const int64_t count = changeCount_;
  const std::vector<std::string> offered = targets();
  auto reader = [this](const std::string& target) { return readTarget(target); };
  std::optional<Bytes> result = x11targets::readType(key, offered, reader);
  if (count == changeCount_) snapshot().typeData[key] = result;
  return result;
}

std::vector<PasteboardItem> X11Pasteboard::items() {
  PasteboardItem item;
  for (const auto& type : types()) {
    item.types.push_back(type);
    if (auto bytes = data(type)) item.dataByType[type] = *bytes;
  }
  if (item.types.empty()) return {};
  return {item};
}

bool X11Pasteboard::write(std::vector<PasteboardEntry> entries, std::optional<int64_t> onlyIfChangeCountIs) {
  connectIfNeeded();
  if (onlyIfChangeCountIs && *onlyIfChangeCountIs != changeCount_) return false;
  // Another client may have taken the clipboard before Qt told us: the server's owner must still be the
  // one the content was read from.
  if (onlyIfChangeCountIs && snapshot_.changeCount == changeCount_ && snapshot_.owner &&
      selectionOwnerWindow() != snapshot_.owner) {
    return false;
  }
  QClipboard* c = clipboard();
  if (c == nullptr) return false;
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
    writing_ = true;
    c->setMimeData(mime, QClipboard::Clipboard);
    writing_ = false;
  };
  offer();
  // The server ignores a take stamped earlier than the last owner's, which a client taking the clipboard
  // "now" can make newer than the last event Qt saw; Qt believes it owns the clipboard all the same.
  for (int attempt = 0; attempt < 3 && !serverSeesUsAsOwner(); ++attempt) {
    letQtSeeTheServerTime();
    offer();
  }
  if (!serverSeesUsAsOwner()) return false;
  ++changeCount_;
  announceChange();
  return true;
}

std::optional<uint32_t> X11Pasteboard::selectionOwnerWindow() {
  X11Connection* x = X11Connection::shared();
  if (x == nullptr) return std::nullopt;
  auto reply = xcbReply(xcb_get_selection_owner_reply(
      x->connection(), xcb_get_selection_owner(x->connection(), x->atom("CLIPBOARD")), nullptr));
  if (!reply) return std::nullopt;
  return reply->owner;
}

bool X11Pasteboard::serverSeesUsAsOwner() {
  auto owner = selectionOwnerWindow();
  if (!owner || qGuiApp == nullptr || qGuiApp->nativeInterface<QNativeInterface::QX11Application>() == nullptr) {
    return true;  // nothing to check against
  }
  return isOurWindow(*owner);
}

void X11Pasteboard::letQtSeeTheServerTime() {
  // A property change on the root window reaches Qt as an event stamped with the server's time.
  X11Connection* x = X11Connection::shared();
  if (x == nullptr) return;
  xcb_change_property(x->connection(), XCB_PROP_MODE_APPEND, x->root(), x->atom("_QUILLET_TIMESTAMP"), XCB_ATOM_STRING,
                      8, 0, nullptr);
  xcbReply(xcb_get_input_focus_reply(x->connection(), xcb_get_input_focus(x->connection()), nullptr));
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(5);
  while (std::chrono::steady_clock::now() < until)
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 1);
}

rx::Publisher<int64_t> X11Pasteboard::changes() {
  connectIfNeeded();
  return Pasteboard::changes();
}

std::optional<std::string> X11Pasteboard::ownerApplication() {
  Snapshot& s = snapshot();
  if (!s.ownerApplication) {
    QClipboard* c = clipboard();
    X11Connection* x = X11Connection::shared();
    bool ours = c == nullptr || c->ownsClipboard() || (s.owner && isOurWindow(*s.owner));
    s.ownerApplication = ours || x == nullptr || !s.owner ? std::nullopt : applicationIdOfOwnerWindow(*x, *s.owner);
  }
  return *s.ownerApplication;
}

}  // namespace platform
