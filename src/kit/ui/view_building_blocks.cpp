#include "kit/ui/view_building_blocks.h"

#include <QGraphicsEffect>
#include <QLabel>
#include <QPainter>
#include <QStyle>

namespace kit {

void setMultilineFixedSize(QLabel& label) {
  label.setWordWrap(true);
  QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Minimum);
  policy.setHeightForWidth(true);
  label.setSizePolicy(policy);
}

namespace {

// Cuts the mask out of what the widget draws, each time it draws, at the size it has then.
class ReverseMaskEffect final : public QGraphicsEffect {
 public:
  ReverseMaskEffect(QImage mask, Qt::Alignment alignment, QObject* parent)
      : QGraphicsEffect(parent), mask_(std::move(mask)), alignment_(alignment) {}

 protected:
  void draw(QPainter* painter) override {
    QPoint offset;
    const QPixmap source = sourcePixmap(Qt::LogicalCoordinates, &offset, QGraphicsEffect::NoPad);
    if (source.isNull()) return;
    QImage shown = source.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QRect bounds = sourceBoundingRect(Qt::LogicalCoordinates).toAlignedRect();
    const QRect placed =
        QStyle::alignedRect(Qt::LeftToRight, alignment_, mask_.deviceIndependentSize().toSize(), bounds);
    QPainter cutting(&shown);
    cutting.setCompositionMode(QPainter::CompositionMode_DestinationOut);
    cutting.drawImage(placed.translated(-offset), mask_);
    cutting.end();
    painter->drawImage(offset, shown);
  }

 private:
  QImage mask_;
  Qt::Alignment alignment_;
};

}  // namespace

void setReverseMask(QWidget& widget, const QImage& mask, Qt::Alignment alignment) {
  widget.setGraphicsEffect(new ReverseMaskEffect(mask, alignment, &widget));
}

}  // namespace kit
