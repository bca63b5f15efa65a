#pragma once

#include <QString>
#include <QStringList>
#include <filesystem>
#include <functional>
#include <map>

class QSessionManager;
class QWidget;

namespace kit {

// Windows that come back with the desktop session: a restorable window that is open when the X11 session manager
// saves the session opens again when the session is restored (the program started again with "-session"). A
// window is saved under its object name, and opens again through what the program registered for that name;
// windows are restorable unless marked otherwise. The saved list lives in the program's data folder and goes when
// the session manager discards the session. Main thread only.
class SessionRestoration {
 public:
  static SessionRestoration& shared();

  // How to open the window named `identifier` again. When the program restores a session in which that window was
  // open, it is opened on the next turn of the event loop. An empty `reopen` forgets the window.
  void registerWindow(const QString& identifier, std::function<void()> reopen);
  // Restores the session: the windows saved in it open again, those registered so far at once, the others when
  // they are registered. A program started by the session manager restores its session by itself.
  void restore(const QString& sessionId, const QString& sessionKey);

  // The names of the registered windows that are open and restorable now.
  QStringList openRestorableWindows() const;
  // Writes them as the state of the session; false when the file could not be written.
  bool save(const QString& sessionId, const QString& sessionKey);
  // The windows saved for the session.
  QStringList savedWindows(const QString& sessionId, const QString& sessionKey) const;
  // Where the state of a session is kept.
  static std::filesystem::path stateFile(const QString& sessionId, const QString& sessionKey);

 private:
  SessionRestoration() = default;
  void followSessionManager();
  void saveState(QSessionManager& manager);
  void reopenLater(QString identifier);
  bool isRegistered(const QString& identifier) const;

  std::map<QString, std::function<void()>> reopeners_;
  bool followsSessionManager_ = false;
  QStringList toReopen_;
};

// Whether the session brings the window hosting `content` back; a window is restorable unless set otherwise.
void setWindowIsRestorable(QWidget& content, bool isRestorable);
bool isWindowRestorable(const QWidget& window);

}  // namespace kit
