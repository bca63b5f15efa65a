#include "platform/pasteboard/x11_pasteboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <algorithm>
#include <cstdlib>

#include "platform/pasteboard/x11_targets.h"
#include "platform/system/application_identity.h"
#include "platform/system/x11_connection.h"
#include "platform/text/utf8.h"

namespace platform {

namespace {

constexpr const char* sourceType = "org.nspasteboard.source";

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

void X11Pasteboard::clipboardChanged() {
  // Qt also announces our own writes, synchronously inside setMimeData: write() counts those itself.
  if (writing_) return;
  ++changeCount_;
  notify();
}

void X11Pasteboard::notify() {
  auto handlers = handlers_;
  for (auto& [id, handler] : handlers) {
    if (handlers_.count(id) != 0) handler(changeCount_);
  }
}

X11Pasteboard::Snapshot& X11Pasteboard::snapshot() {
  connectIfNeeded();
  if (snapshot_.changeCount != changeCount_) {
    snapshot_ = Snapshot{};
    snapshot_.changeCount = changeCount_;
  }
  return snapshot_;
}

const std::vector<std::string>& X11Pasteboard::targets() {
  Snapshot& s = snapshot();
  if (!s.targets) {
    std::vector<std::string> formats;
    QClipboard* c = clipboard();
    auto started = std::chrono::steady_clock::now();
    if (const QMimeData* mime = c != nullptr ? c->mimeData(QClipboard::Clipboard) : nullptr) {
      for (const QString& format : mime->formats()) formats.push_back(format.toStdString());
    }
    if (formats.empty() && std::chrono::steady_clock::now() - started >= hungOwnerThreshold) s.ownerHung = true;
    s.targets = x11targets::contentTargets(formats);
  }
  return *s.targets;
}

std::optional<Bytes> X11Pasteboard::readTarget(const std::string& target) {
  Snapshot& s = snapshot();
  if (auto it = s.targetData.find(target); it != s.targetData.end()) return it->second;
  if (s.ownerHung) return std::nullopt;
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
  if ((!result || result->empty()) && std::chrono::steady_clock::now() - started >= hungOwnerThreshold) {
    s.ownerHung = true;
    result.reset();
  }
  // The owner may have changed while Qt waited for it; keep only what belongs to this change.
  if (s.changeCount == changeCount_) snapshot_.targetData[target] = result;
  return result;
}

std::vector<std::string> X11Pasteboard::types() {
  const auto& offered = targets();
  Snapshot& s = snapshot();
  if (!s.types) {
    auto reader = [this](const std::string& target) { return readTarget(target); };
    s.types = x11targets::logicalTypes(offered, reader);
  }
  return *s.types;
}

std::optional<std::string> X11Pasteboard::availableType(std::span<const std::string_view> wanted) {
  auto offered = types();
  for (std::string_view type : wanted) {
    if (std::find(offered.begin(), offered.end(), type) != offered.end()) return std::string(type);
  }
  return std::nullopt;
}

std::optional<Bytes> X11Pasteboard::data(std::string_view type) {
  std::string key(type);
  {
    Snapshot& s = snapshot();
    if (auto it = s.typeData.find(key); it != s.typeData.end()) return it->second;
  }
  const auto& offered = targets();
  auto reader = [this](const std::string& target) { return readTarget(target); };
  std::optional<Bytes> result = x11targets::readType(key, offered, reader);
  if (!result && key == sourceType) result = selectionOwnerApplication();
  snapshot().typeData[key] = result;
  return result;
}

std::optional<std::string> X11Pasteboard::string(std::string_view type) {
  auto bytes = data(type);
  if (!bytes) return std::nullopt;
  return sanitizedUtf8(*bytes);
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
  QClipboard* c = clipboard();
  if (c == nullptr) return false;
  auto* mime = new QMimeData;
  for (const auto& target : x11targets::targetsForWrite(entries)) {
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
  ++changeCount_;
  notify();
  return true;
}

int X11Pasteboard::addChangeHandler(ChangeHandler handler) {
  connectIfNeeded();
  handlers_.emplace(nextHandlerId_, std::move(handler));
  return nextHandlerId_++;
}

void X11Pasteboard::removeChangeHandler(int id) { handlers_.erase(id); }

std::optional<std::string> X11Pasteboard::selectionOwnerApplication() {
  QClipboard* c = clipboard();
  if (c == nullptr || c->ownsClipboard()) return std::nullopt;
  X11Connection* x = X11Connection::shared();
  if (x == nullptr) return std::nullopt;
  xcb_atom_t selection = x->atom("CLIPBOARD");
  auto* reply = xcb_get_selection_owner_reply(x->connection(), xcb_get_selection_owner(x->connection(), selection),
                                              nullptr);
  if (reply == nullptr) return std::nullopt;
  xcb_window_t owner = reply->owner;
  std::free(reply);
  return applicationIdOfOwnerWindow(*x, owner);
}

}  // namespace platform
