#include "kit/ui/introspection_marker.h"

#include <QEvent>
#include <QMetaObject>
#include <QPointer>

namespace kit {

IntrospectionMarker::IntrospectionMarker(QWidget& content, const char* targetClassName,
                                         std::function<void(QWidget& marker)> search)
    : QWidget(&content), search_(std::move(search)) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
  // The type's own name, without its namespaces.
  const QString typeName = QString::fromLatin1(targetClassName).section(QStringLiteral("::"), -1);
  setAccessibleName(QStringLiteral("IntrospectionMarker<%1>").arg(typeName));
  placeAtCentre();
  hide();
  content.installEventFilter(this);
  contentDidUpdate();
}

void IntrospectionMarker::contentDidUpdate() {
  QPointer<IntrospectionMarker> marker(this);
  QMetaObject::invokeMethod(
      this,
      [marker] {
        if (marker && marker->search_) marker->search_(*marker);
      },
      Qt::QueuedConnection);
}

void IntrospectionMarker::placeAtCentre() { setGeometry(QRect(parentWidget()->rect().center(), QSize(0, 0))); }

bool IntrospectionMarker::eventFilter(QObject* watched, QEvent* event) {
  if (watched == parentWidget()) {
    if (event->type() == QEvent::Resize) placeAtCentre();
    if (event->type() == QEvent::Show) contentDidUpdate();
  }
  return false;
}

}  // namespace kit
