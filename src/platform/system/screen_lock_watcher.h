#pragma once

#include <QDBusMessage>
#include <QObject>

#include "platform/core/rx_subjects.h"

namespace platform {

// Receives the lock signals of the buses and publishes each lock and unlock once.
class ScreenLockWatcher final : public QObject {
  Q_OBJECT

 public:
  static ScreenLockWatcher& shared();
  rx::PassthroughSubject<bool> changes;
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
