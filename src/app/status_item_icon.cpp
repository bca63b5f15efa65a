#include "app/status_item_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace app {

namespace {

// A filled clipboard with a clip at the top and two text lines cut out of the sheet, on a 22-unit grid.
QPixmap drawClipboard(int side, const QColor& ink) {
  QPixmap pixmap(side, side);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(side / 22.0, side / 22.0);

  QPainterPath board;
  board.addRoundedRect(QRectF(4, 3.5, 14, 17), 2.2, 2.2);
  QPainterPath lines;
  lines.addRoundedRect(QRectF(7, 10, 8, 1.6), 0.8, 0.8);
  lines.addRoundedRect(QRectF(7, 13.5, 8, 1.6), 0.8, 0.8);
  lines.addRoundedRect(QRectF(7, 17, 5, 1.6), 0.8, 0.8);
  painter.fillPath(board.subtracted(lines), ink);

  // The clip stands out of the board with a gap around it, so the outline reads at 16 pixels.
  QPainterPath clipGap;
  clipGap.addRoundedRect(QRectF(6.5, 1, 9, 5.5), 1.6, 1.6);
  painter.setCompositionMode(QPainter::CompositionMode_Clear);
  painter.fillPath(clipGap, Qt::transparent);
  painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  QPainterPath clip;
  clip.addRoundedRect(QRectF(7.5, 2, 7, 3.5), 1.2, 1.2);
  painter.fillPath(clip, ink);
  return pixmap;
}

}  // namespace

QIcon statusItemIcon(bool forDarkPanel) {
  const QColor ink = forDarkPanel ? QColor(0xf2, 0xf2, 0xf2) : QColor(0x20, 0x20, 0x20);
  QColor dimmedInk = ink;
  dimmedInk.setAlphaF(0.4);
  QIcon icon;
  for (int side : {16, 22, 24, 32, 48, 64}) {
    icon.addPixmap(drawClipboard(side, ink), QIcon::Normal);
    icon.addPixmap(drawClipboard(side, dimmedInk), QIcon::Disabled);
  }
  return icon;
}

}  // namespace app
