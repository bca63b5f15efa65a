#include "kit/ui/clickable_view.h"

#include <QMouseEvent>

namespace kit {

ClickableView::ClickableView(const QRect& frame, QWidget* parent) : QWidget(parent) { setGeometry(frame); }

void ClickableView::report(bool isPressed) {
  if (pressed) pressed(isPressed);
}

void ClickableView::mousePressEvent(QMouseEvent* event) {
  event->accept();
  report(true);
}

void ClickableView::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  report(false);
}

void ClickableDraggableView::press(bool isPressed) {
  if (dragged.value_or(false)) {
    dragged = false;
    return;
  }
  report(isPressed);
}

void ClickableDraggableView::mousePressEvent(QMouseEvent* event) {
  event->accept();
  press(true);
}

void ClickableDraggableView::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  press(false);
}

void ClickableDraggableView::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
  if (event->buttons() != Qt::NoButton) dragged = true;
}

ClickableView* ClickableViewRepresentable::makeView(QWidget* parent) const {
  ClickableView* view = draggable ? static_cast<ClickableView*>(new ClickableDraggableView(frame, parent))
                                  : new ClickableView(frame, parent);
  view->pressed = pressed;
  return view;
}

}  // namespace kit
