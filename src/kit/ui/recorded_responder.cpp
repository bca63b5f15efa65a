#include "kit/ui/recorded_responder.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace kit {

namespace {

QPointer<QWidget>& recorded() {
  static QPointer<QWidget> widget;
  return widget;
}

}  // namespace

void recordFocusedWidget() { recorded() = QApplication::focusWidget(); }

void recordWidget(QWidget& widget) { recorded() = &widget; }

QWidget* recordedWidget() { return recorded(); }

bool giveFocusToRecordedWidget() {
  QWidget* widget = recorded();
  if (!widget || !widget->isVisible() || !widget->isEnabled()) return false;
  widget->activateWindow();
  widget->setFocus(Qt::OtherFocusReason);
  return true;
}

}  // namespace kit
