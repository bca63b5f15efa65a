#include "kit/ui/popover.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

namespace kit {

namespace {

Qt::WindowFlags popoverWindowFlags(Popover::Behavior behavior) {
  return (behavior == Popover::Behavior::transient ? Qt::Popup : Qt::ToolTip) | Qt::FramelessWindowHint;
}

RectEdge opposite(RectEdge edge) {
  switch (edge) {
    case RectEdge::minX:
      return RectEdge::maxX;
    case RectEdge::minY:
      return RectEdge::maxY;
    case RectEdge::maxX:
      return RectEdge::minX;
    case RectEdge::maxY:
      return RectEdge::minY;
  }
  return edge;
}

QRect placedBeside(const QSize& size, const QRect& anchor, RectEdge edge, int gap) {
  QRect placed(QPoint(), size);
  placed.moveTopLeft(anchor.center() - QPoint(size.width() / 2, size.height() / 2));
  switch (edge) {
    case RectEdge::minX:
      placed.moveRight(anchor.left() - 1 - gap);
      break;
    case RectEdge::minY:
      placed.moveBottom(anchor.top() - 1 - gap);
      break;
    case RectEdge::maxX:
      placed.moveLeft(anchor.right() + 1 + gap);
      break;
    case RectEdge::maxY:
      placed.moveTop(anchor.bottom() + 1 + gap);
      break;
  }
  return placed;
}

}  // namespace

QRect popoverGeometry(const QSize& size, const QRect& anchor, RectEdge preferredEdge, const QRect& available, int gap) {
  QRect placed = placedBeside(size, anchor, preferredEdge, gap);
  const bool fits = preferredEdge == RectEdge::minX   ? placed.left() >= available.left()
                    : preferredEdge == RectEdge::minY ? placed.top() >= available.top()
                    : preferredEdge == RectEdge::maxX ? placed.right() <= available.right()
                                                      : placed.bottom() <= available.bottom();
  if (!fits) placed = placedBeside(size, anchor, opposite(preferredEdge), gap);
  placed.moveLeft(
      std::clamp(placed.left(), available.left(), std::max(available.left(), available.right() + 1 - size.width())));
  placed.moveTop(
      std::clamp(placed.top(), available.top(), std::max(available.top(), available.bottom() + 1 - size.height())));
  return placed;
}

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
  QScreen* screen = anchor.screen() ? anchor.screen() : QGuiApplication::primaryScreen();
  if (screen) {
    move(popoverGeometry(size(), area, RectEdge::maxY, screen->availableGeometry()).topLeft());
  } else {
    move(area.center().x() - width() / 2, area.bottom() + 1 + popoverGap);
  }
  show();
}

void Popover::hideEvent(QHideEvent* event) {
  QFrame::hideEvent(event);
  Q_EMIT closed();
}

}  // namespace kit
