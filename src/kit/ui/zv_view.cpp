#include "kit/ui/zv_view.h"

#include <QEvent>
#include <QMetaObject>
#include <QPainter>
#include <cmath>

#include "kit/foundation/general_error.h"
#include "kit/foundation/geometry.h"
#include "kit/foundation/report_error.h"

namespace kit {

ZvView::ZvView(QWidget* parent) : QWidget(parent) {
  // Made inside its parent: that placement happened before anyone could subscribe.
  didMoveToSuperviewWasCalled_ = parent != nullptr;
}

bool ZvView::event(QEvent* event) {
  const bool handled = QWidget::event(event);
  if (event->type() == QEvent::ParentChange && parentWidget() != nullptr && !didMoveToSuperviewWasCalled_) {
    didMoveToSuperviewWasCalled_ = true;
    didMoveToSuperviewSubject_.send({});
  } else if (event->type() == QEvent::Show && !didMoveToWindowWasCalled_) {
    didMoveToWindowWasCalled_ = true;
    didAppearSubject_.send({});
  }
  return handled;
}

void ZvView::setScale(double scale) {
  if (std::isnan(this->scale())) {
    scale_ = unitSize;
    update();
    ZvApp::reportError(GeneralError("The given scale size is not finite."));
    return;
  }
  scaleTo({scale, scale});
}

void ZvView::scaleTo(const QSizeF& size) {
  if (!std::isfinite(size.width()) || !std::isfinite(size.height())) {
    ZvApp::reportError(GeneralError("The given scale size " + formattedDescription(size) + " is not finite."));
    return;
  }
  scale_ = size;
  update();
}

void ZvView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.scale(scale_.width(), scale_.height());
  paintContent(painter);
}

void ZvView::paintContent(QPainter&) {}

AddedToSuperviewObserverView::AddedToSuperviewObserverView(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::NoFocus);
  showInShownParent();
}

bool AddedToSuperviewObserverView::event(QEvent* event) {
  if (event->type() == QEvent::ParentChange) showInShownParent();
  return QWidget::event(event);
}

void AddedToSuperviewObserverView::showInShownParent() {
  // A widget placed in a parent that is shown stays hidden until it is shown itself.
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (!done_ && parentWidget() != nullptr && parentWidget()->isVisible() && !isVisible()) show();
      },
      Qt::QueuedConnection);
}

void AddedToSuperviewObserverView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (done_ || parentWidget() == nullptr) return;
  done_ = true;
  if (onAdded) onAdded();
  hide();
  deleteLater();
}

}  // namespace kit
