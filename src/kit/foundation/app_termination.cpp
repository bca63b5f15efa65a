#include "kit/foundation/app_termination.h"

#include <QCoreApplication>

namespace kit {

void terminateApp() {
  if (auto* application = QCoreApplication::instance())
    QMetaObject::invokeMethod(application, &QCoreApplication::quit, Qt::QueuedConnection);
}

}  // namespace kit
