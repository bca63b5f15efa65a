#include "kit/ui/clickable_view.h"

#include <QMouseEvent>

namespace kit {

namespace {

// Only the primary button is reported; the parent gets the others' events.
bool isPrimary(QMouseEvent& event) {
  if (event.button() == Qt::LeftButton) return true;
  event.ignore();
  return false;
}

}  // namespace

ClickableView::ClickableView(const QRect& frame, QWidget* parent) : QWidget(parent) { setGeometry(frame); }

void ClickableView::report(bool isPressed) {
  // A copy: the closure may hand the view a new one (or take the view away) while it runs.
  if (auto callback = pressed) callback(isPressed);
}

void ClickableView::mousePressEvent(QMouseEvent* event) {
  if (!isPrimary(*event)) return;
  event->accept();
  report(true);
}

void ClickableView::mouseReleaseEvent(QMouseEvent* event) {
  if (!isPrimary(*event)) return;
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
  if (!isPrimary(*event)) return;
  event->accept();
  press(true);
}

void ClickableDraggableView::mouseReleaseEvent(QMouseEvent* event) {
  if (!isPrimary(*event)) return;
  event->accept();
  press(false);
}

void ClickableDraggableView::mouseMoveEvent(QMouseEvent* event) {
  if (!event->buttons().testFlag(Qt::LeftButton)) {
    event->ignore();
    return;
  }
  event->accept();
  dragged = true;
}

ClickableView* ClickableViewRepresentable::makeView(QWidget* parent) const {
  ClickableView* view = draggable ? static_cast<ClickableView*>(new ClickableDraggableView(frame, parent))
                                  : new ClickableView(frame, parent);
  view->pressed = pressed;
  return view;
}

}  // namespace kit
