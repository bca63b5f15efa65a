#include "kit/ui/session_restoration.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSessionManager>
#include <QStandardPaths>
#include <QWidget>

#include "kit/ui/window_access.h"
#include "platform/core/executor.h"

namespace kit {

namespace {

constexpr const char* restorableProperty = "kit.isRestorable";

// Session ids and keys come from the session manager; only plain characters go into a file name.
QString fileNamePart(const QString& text) {
  QString safe;
  for (QChar c : text) safe += c.isLetterOrNumber() || c == '-' || c == '.' ? c : QChar('_');
  return safe;
}

QString applicationId() {
  const QString desktopId = QGuiApplication::desktopFileName();
  return desktopId.isEmpty() ? QCoreApplication::applicationName() : desktopId;
}

}  // namespace

SessionRestoration& SessionRestoration::shared() {
  static SessionRestoration restoration;
  return restoration;
}

std::filesystem::path SessionRestoration::stateFile(const QString& sessionId, const QString& sessionKey) {
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + '/' +
                         fileNamePart(applicationId()) + "/sessions";
  return (folder + '/' + fileNamePart(sessionId) + '_' + fileNamePart(sessionKey)).toStdString();
}

void SessionRestoration::registerWindow(const QString& identifier, std::function<void()> reopen) {
  reopeners_[identifier] = std::move(reopen);
  followSessionManager();
  if (isRegistered(identifier) && toReopen_.contains(identifier)) reopenLater(identifier);
}

void SessionRestoration::restore(const QString& sessionId, const QString& sessionKey) {
  toReopen_ = savedWindows(sessionId, sessionKey);
  const QStringList saved = toReopen_;  // reopening takes names off the list
  for (const QString& identifier : saved)
    if (isRegistered(identifier)) reopenLater(identifier);
}

bool SessionRestoration::isRegistered(const QString& identifier) const {
  const auto found = reopeners_.find(identifier);
  return found != reopeners_.end() && found->second;
}

void SessionRestoration::reopenLater(QString identifier) {
  toReopen_.removeAll(identifier);
  // The registry lives as long as the program.
  platform::mainExecutor().post([this, identifier = std::move(identifier)] {
    if (isRegistered(identifier)) reopeners_[identifier]();
  });
}

void SessionRestoration::followSessionManager() {
  if (followsSessionManager_ || !qApp) return;
  followsSessionManager_ = true;
  if (qApp->isSessionRestored()) toReopen_ = savedWindows(qApp->sessionId(), qApp->sessionKey());
  QObject::connect(qApp, &QGuiApplication::saveStateRequest, qApp,
                   [this](QSessionManager& manager) { saveState(manager); });
}

void SessionRestoration::saveState(QSessionManager& manager) {
  if (!save(manager.sessionId(), manager.sessionKey())) return;
  // The session manager removes the state together with the session it belongs to.
  manager.setDiscardCommand(
      {"rm", "-f", QString::fromStdString(stateFile(manager.sessionId(), manager.sessionKey()).string())});
}

QStringList SessionRestoration::openRestorableWindows() const {
  QStringList open;
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (!window->isVisible() || !isWindowRestorable(*window)) continue;
    if (isRegistered(window->objectName()) && !open.contains(window->objectName())) open.append(window->objectName());
  }
  return open;
}

bool SessionRestoration::save(const QString& sessionId, const QString& sessionKey) {
  const std::filesystem::path path = stateFile(sessionId, sessionKey);
  if (!QDir().mkpath(QString::fromStdString(path.parent_path().string()))) return false;
  QSaveFile file(QString::fromStdString(path.string()));
  if (!file.open(QIODevice::WriteOnly)) return false;
  file.write(openRestorableWindows().join('\n').toUtf8());
  return file.commit();
}

QStringList SessionRestoration::savedWindows(const QString& sessionId, const QString& sessionKey) const {
  QFile file(QString::fromStdString(stateFile(sessionId, sessionKey).string()));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

void setWindowIsRestorable(QWidget& content, bool isRestorable) {
  setHostingWindowProperty(content, "isRestorable",
                           [isRestorable](QWidget& window) { window.setProperty(restorableProperty, isRestorable); });
}

bool isWindowRestorable(const QWidget& window) {
  const QVariant restorable = window.property(restorableProperty);
  return !restorable.isValid() || restorable.toBool();
}

}  // namespace kit
