#include "kit/ui/tracking_area.h"

#include <QEnterEvent>
#include <QMouseEvent>

namespace kit {

TrackingArea::TrackingArea(QWidget& view, const QRect& rect, Handlers handlers)
    : view_(&view), rect_(rect), handlers_(std::move(handlers)) {
  // Moves without a button held are reported only to widgets that ask for them.
  view.setMouseTracking(true);
  view.installEventFilter(this);
}

bool TrackingArea::eventFilter(QObject* watched, QEvent* event) {
  if (watched != view_) return false;
  switch (event->type()) {
    case QEvent::Enter:
      pointerAt(static_cast<QEnterEvent*>(event)->position().toPoint());
      break;
    case QEvent::MouseMove:
      pointerAt(static_cast<QMouseEvent*>(event)->position().toPoint());
      break;
    case QEvent::Leave:
      pointerAt(std::nullopt);
      break;
    default:
      break;
  }
  return false;
}

void TrackingArea::pointerAt(std::optional<QPoint> position) {
  const bool inside = position && rect_.contains(*position);
  if (inside != inside_) {
    inside_ = inside;
    const auto& handler = inside ? handlers_.entered : handlers_.exited;
    if (handler) handler();
  }
  if (inside && handlers_.moved) handlers_.moved(*position);
}

}  // namespace kit
