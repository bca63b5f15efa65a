#include "kit/ui/popover.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

namespace kit {

namespace {

constexpr int gapToAnchor = 4;

Qt::WindowFlags popoverWindowFlags(Popover::Behavior behavior) {
  return (behavior == Popover::Behavior::transient ? Qt::Popup : Qt::ToolTip) | Qt::FramelessWindowHint;
}

}  // namespace

Popover::Popover(QWidget* content, Options options)
    : QFrame(nullptr, popoverWindowFlags(options.behavior)), content_(content) {
  setAttribute(Qt::WA_DeleteOnClose);
  if (options.behavior == Behavior::hover) setAttribute(Qt::WA_ShowWithoutActivating);
  setFrameShape(QFrame::StyledPanel);
  setAutoFillBackground(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(options.padding);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  layout->addWidget(content_);
  if (options.contentWidth) {
    content_->setFixedWidth(*options.contentWidth);
    if (content_->hasHeightForWidth()) content_->setFixedHeight(content_->heightForWidth(*options.contentWidth));
  } else if (auto* label = qobject_cast<QLabel*>(content_)) {
    label->setWordWrap(false);  // its natural size on both axes
  }
  adjustSize();
}

void Popover::showUnder(const QWidget& anchor) {
  adjustSize();
  const QRect area(anchor.mapToGlobal(QPoint(0, 0)), anchor.size());
  QPoint topLeft(area.center().x() - width() / 2, area.bottom() + 1 + gapToAnchor);
  QScreen* screen = anchor.screen() ? anchor.screen() : QGuiApplication::primaryScreen();
  if (screen) {
    const QRect available = screen->availableGeometry();
    if (topLeft.y() + height() > available.bottom() + 1) topLeft.setY(area.top() - gapToAnchor - height());
    topLeft.setX(
        std::clamp(topLeft.x(), available.left(), std::max(available.left(), available.right() + 1 - width())));
    topLeft.setY(
        std::clamp(topLeft.y(), available.top(), std::max(available.top(), available.bottom() + 1 - height())));
  }
  move(topLeft);
  show();
}

void Popover::hideEvent(QHideEvent* event) {
  QFrame::hideEvent(event);
  Q_EMIT closed();
}

}  // namespace kit
