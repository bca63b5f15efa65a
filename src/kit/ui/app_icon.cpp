#include "kit/ui/app_icon.h"

#include <QApplication>
#include <QPixmap>
#include <QTimer>
#include <chrono>

#include "kit/foundation/zv_app.h"
#include "kit/ui/image_compositing.h"

namespace kit {

QIcon appIcon() {
  const QString id = QString::fromStdString(ZvApp::id());
  if (QIcon installed = QIcon::fromTheme(id); !installed.isNull()) return installed;
  if (QIcon carried(QStringLiteral(":/icons/") + id + QStringLiteral(".svg")); !carried.pixmap(16, 16).isNull())
    return carried;
  return QIcon(QPixmap::fromImage(emptyImage()));
}

void installApplicationIcon() { QApplication::setWindowIcon(appIcon()); }

void installApplicationIconLater() {
  using namespace std::chrono_literals;
  QTimer::singleShot(1s, QCoreApplication::instance(), [] { installApplicationIcon(); });
}

}  // namespace kit
