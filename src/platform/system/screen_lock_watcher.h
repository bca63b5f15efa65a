#pragma once

#include <QDBusMessage>
#include <QObject>
#include <functional>
#include <map>

namespace platform {

// Receives the lock signals of the buses and hands them to the registered handlers.
class ScreenLockWatcher final : public QObject {
  Q_OBJECT

 public:
  static ScreenLockWatcher& shared();
  std::map<int, std::function<void(bool)>> handlers;
  int nextId = 1;
  QString sessionPath;  // the logind session object of this process, empty when logind does not answer

 private Q_SLOTS:
  void activeChanged(bool active);
  void propertiesChanged(const QDBusMessage& message);

 private:
  ScreenLockWatcher();
  void send(bool locked);
  bool lastLocked_ = false;
};

}  // namespace platform
