#include "kit/ui/symbol_icons.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QtMath>
#include <algorithm>
#include <functional>

namespace kit {

namespace {

using Drawing = std::function<void(QPainter&, const QColor&)>;

// Draws a symbol on a 24-unit grid each time it is painted, in the colours of the application's palette of that
// moment: a switch to a dark palette redraws every symbol in use without anyone setting its icon again.
class SymbolIconEngine final : public QIconEngine {
 public:
  explicit SymbolIconEngine(Drawing draw) : draw_(std::move(draw)) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
    const QPalette palette = QApplication::palette();
    const QColor ink =
        palette.color(mode == QIcon::Disabled ? QPalette::Disabled : QPalette::Active, QPalette::WindowText);
    const double side = std::min(rect.width(), rect.height());
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->translate(rect.x() + (rect.width() - side) / 2, rect.y() + (rect.height() - side) / 2);
    painter->scale(side / 24.0, side / 24.0);
    draw_(*painter, ink);
    painter->restore();
  }

  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return scaledPixmap(size, mode, state, 1.0);
  }

  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
    QPixmap pixmap(size * scale);
    pixmap.setDevicePixelRatio(scale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    paint(&painter, QRect(QPoint(0, 0), size), mode, state);
    return pixmap;
  }

  QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
    return {QSize(16, 16), QSize(24, 24), QSize(32, 32), QSize(48, 48), QSize(64, 64)};
  }

  QIconEngine* clone() const override { return new SymbolIconEngine(draw_); }

 private:
  Drawing draw_;
};

QIcon drawnIcon(Drawing draw) { return QIcon(new SymbolIconEngine(std::move(draw))); }

// A gear of eight teeth with a hole, `outer` across its teeth and `inner` between them.
QPainterPath gear(QPointF centre, double outer, double inner, double hole) {
  constexpr int teeth = 8;
  QPainterPath gear;
  for (int i = 0; i < teeth * 2; ++i) {
    // Each tooth is a flat top between two flanks.
    const double radius = i % 2 == 0 ? outer : inner;
    for (double edge : {-0.22, 0.22}) {
      const double angle = (i + edge) * M_PI / teeth;
      const QPointF point = centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
      if (gear.elementCount() == 0) {
        gear.moveTo(point);
      } else {
        gear.lineTo(point);
      }
    }
  }
  gear.closeSubpath();
  QPainterPath opening;
  opening.addEllipse(centre, hole, hole);
  return gear.subtracted(opening);
}

void drawGear(QPainter& painter, const QColor& ink) { painter.fillPath(gear(QPointF(12, 12), 10.5, 8, 3.5), ink); }

// A large gear below left, a small one above right.
void drawTwoGears(QPainter& painter, const QColor& ink) {
  painter.fillPath(gear(QPointF(9.5, 14.5), 8.5, 6.5, 2.8), ink);
  painter.fillPath(gear(QPointF(18.5, 5.5), 5, 3.8, 1.6), ink);
}

// A brush held from the upper right, its bristles coming to a point at the lower left.
void drawPointedPaintbrush(QPainter& painter, const QColor& ink) {
  painter.setPen(QPen(ink, 2.6, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(20.5, 3.5), QPointF(13.5, 10.5));
  painter.setPen(Qt::NoPen);
  painter.setBrush(ink);
  QPainterPath bristles;
  bristles.moveTo(11.2, 9.8);
  bristles.lineTo(14.2, 12.8);
  bristles.quadTo(11.5, 18.5, 3, 21);
  bristles.quadTo(5.5, 12.5, 11.2, 9.8);
  painter.drawPath(bristles);
}

// The outline of a rounded rectangle whose top `band` units are solid.
void drawFrameWithTopBand(QPainter& painter, const QColor& ink, const QRectF& frame, double band) {
  QPainterPath outline;
  outline.addRoundedRect(frame, 2.5, 2.5);
  QPainterPath top;
  top.addRect(QRectF(frame.left(), frame.top(), frame.width(), band));
  painter.fillPath(outline.intersected(top), ink);
  painter.setPen(QPen(ink, 1.6));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(outline);
}

// A screen with the bar along its top edge.
void drawMenuBarRectangle(QPainter& painter, const QColor& ink) {
  drawFrameWithTopBand(painter, ink, QRectF(2.5, 4.5, 19, 15), 4);
}

// An open menu with its middle item chosen.
void drawMenuWithSelection(QPainter& painter, const QColor& ink) {
  painter.setPen(QPen(ink, 1.6));
  painter.setBrush(Qt::NoBrush);
  painter.drawRoundedRect(QRectF(3.5, 2.5, 17, 19), 2.5, 2.5);
  painter.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(7, 7), QPointF(15, 7));
  painter.drawLine(QPointF(7, 17), QPointF(13, 17));
  painter.setPen(Qt::NoPen);
  painter.setBrush(ink);
  painter.drawRoundedRect(QRectF(5.5, 10, 13, 4), 1.2, 1.2);
}

// A bell with a dot at its upper right.
void drawBellWithBadge(QPainter& painter, const QColor& ink) {
  QPainterPath bell;
  bell.moveTo(4.5, 17.5);
  bell.lineTo(19.5, 17.5);
  bell.cubicTo(17, 15.5, 17.5, 12, 17.5, 10);
  bell.cubicTo(17.5, 6.5, 15, 4, 12, 4);
  bell.cubicTo(9, 4, 6.5, 6.5, 6.5, 10);
  bell.cubicTo(6.5, 12, 7, 15.5, 4.5, 17.5);
  bell.closeSubpath();
  bell.addEllipse(QPointF(12, 19.8), 2, 2);
  QPainterPath badgeRoom;
  badgeRoom.addEllipse(QPointF(18.5, 5.5), 5, 5);
  painter.fillPath(bell.subtracted(badgeRoom), ink);
  QPainterPath badge;
  badge.addEllipse(QPointF(18.5, 5.5), 3.5, 3.5);
  painter.fillPath(badge, ink);
}

// A page of a calendar: a solid band on top with two rings, days below.
void drawCalendar(QPainter& painter, const QColor& ink) {
  drawFrameWithTopBand(painter, ink, QRectF(3, 4.5, 18, 16.5), 4.5);
  painter.setPen(QPen(ink, 2, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(8, 2.5), QPointF(8, 6));
  painter.drawLine(QPointF(16, 2.5), QPointF(16, 6));
  painter.setPen(Qt::NoPen);
  painter.setBrush(ink);
  for (int row = 0; row < 2; ++row)
    for (int column = 0; column < 4; ++column) painter.drawRect(QRectF(6 + column * 3.4, 12 + row * 3.6, 2, 2));
}

// A stroke from `from` to `to` ending in an open arrowhead.
void drawArrow(QPainter& painter, QPointF from, QPointF to) {
  const QLineF shaft(from, to);
  painter.drawLine(shaft);
  for (double turn : {150.0, -150.0}) {
    const QLineF wing = QLineF::fromPolar(4, shaft.angle() + turn).translated(to);
    painter.drawLine(wing);
  }
}

// A stem rising from the bottom that splits into two arrows.
void drawBranchingArrows(QPainter& painter, const QColor& ink) {
  painter.setPen(QPen(ink, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.drawLine(QPointF(12, 21.5), QPointF(12, 13));
  drawArrow(painter, QPointF(12, 13), QPointF(5.5, 4));
  drawArrow(painter, QPointF(12, 13), QPointF(18.5, 4));
}

// A globe with its equator, two parallels and a meridian.
void drawGlobe(QPainter& painter, const QColor& ink) {
  const QPointF centre(12, 12);
  constexpr double radius = 9.5;
  painter.setPen(QPen(ink, 1.5));
  painter.setBrush(Qt::NoBrush);
  painter.drawEllipse(centre, radius, radius);
  painter.drawEllipse(centre, 4.2, radius);
  painter.drawLine(QPointF(centre.x() - radius, centre.y()), QPointF(centre.x() + radius, centre.y()));
  for (double offset : {-5.0, 5.0}) {
    const double halfWidth = std::sqrt(radius * radius - offset * offset);
    painter.drawLine(QPointF(centre.x() - halfWidth, centre.y() + offset),
                     QPointF(centre.x() + halfWidth, centre.y() + offset));
  }
}

void drawKeyboard(QPainter& painter, const QColor& ink) {
  painter.setPen(QPen(ink, 1.6));
  painter.setBrush(Qt::NoBrush);
  painter.drawRoundedRect(QRectF(2, 5.5, 20, 13), 2.5, 2.5);
  painter.setPen(Qt::NoPen);
  painter.setBrush(ink);
  for (int row = 0; row < 2; ++row)
    for (int column = 0; column < 5; ++column) painter.drawRect(QRectF(4.6 + column * 3.2, 8 + row * 3.2, 2, 2));
  painter.drawRoundedRect(QRectF(7.5, 14.4, 9, 2), 0.8, 0.8);
}

void drawNoSign(QPainter& painter, const QColor& ink) {
  painter.setPen(QPen(ink, 2.2));
  painter.setBrush(Qt::NoBrush);
  painter.drawEllipse(QPointF(12, 12), 9, 9);
  painter.drawLine(QPointF(5.8, 18.2), QPointF(18.2, 5.8));
}

QPainterPath sparkle(QPointF centre, double radius) {
  // Four points joined by curves that bend in towards the centre.
  QPainterPath path;
  const QPointF top = centre + QPointF(0, -radius), right = centre + QPointF(radius, 0);
  const QPointF bottom = centre + QPointF(0, radius), left = centre + QPointF(-radius, 0);
  path.moveTo(top);
  path.quadTo(centre, right);
  path.quadTo(centre, bottom);
  path.quadTo(centre, left);
  path.quadTo(centre, top);
  path.closeSubpath();
  return path;
}

void drawSparkles(QPainter& painter, const QColor& ink) {
  painter.fillPath(sparkle(QPointF(10, 13.5), 8.5), ink);
  painter.fillPath(sparkle(QPointF(18.5, 5), 4), ink);
  painter.fillPath(sparkle(QPointF(19.5, 17.5), 2.8), ink);
}

void drawExclamationInCircle(QPainter& painter, const QColor&) {
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(255, 149, 0));
  painter.drawEllipse(QPointF(12, 12), 11, 11);
  painter.setBrush(Qt::white);
  painter.drawRoundedRect(QRectF(10.6, 5, 2.8, 9), 1.4, 1.4);
  painter.drawEllipse(QPointF(12, 17.6), 1.7, 1.7);
}

void drawPlus(QPainter& painter, const QColor& ink) {
  painter.setPen(QPen(ink, 2, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(12, 5), QPointF(12, 19));
  painter.drawLine(QPointF(5, 12), QPointF(19, 12));
}

void drawMinus(QPainter& painter, const QColor& ink) {
  painter.setPen(QPen(ink, 2, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(5, 12), QPointF(19, 12));
}

void drawInfoInCircle(QPainter& painter, const QColor& ink) {
  painter.setPen(Qt::NoPen);
  painter.setBrush(ink);
  painter.drawEllipse(QPointF(12, 12), 11, 11);
  painter.setBrush(QApplication::palette().color(QPalette::Window));
  painter.drawEllipse(QPointF(12, 6.8), 1.7, 1.7);
  painter.drawRoundedRect(QRectF(10.6, 9.6, 2.8, 8.6), 1.2, 1.2);
}

void drawMagnifyingGlass(QPainter& painter, const QColor& ink) {
  painter.setPen(QPen(ink, 2.2, Qt::SolidLine, Qt::RoundCap));
  painter.setBrush(Qt::NoBrush);
  painter.drawEllipse(QPointF(10, 10), 6, 6);
  painter.drawLine(QPointF(14.5, 14.5), QPointF(20, 20));
}

// A plain application tile: a rounded square with a window bar.
void drawGenericApplication(QPainter& painter, const QColor& ink) {
  painter.setPen(QPen(ink, 1.6));
  painter.setBrush(Qt::NoBrush);
  painter.drawRoundedRect(QRectF(3, 3, 18, 18), 4, 4);
  painter.drawLine(QPointF(3.8, 8), QPointF(20.2, 8));
}

// Two overlapping sheets, the front one whole.
void drawTwoDocuments(QPainter& painter, const QColor& ink) {
  painter.setPen(QPen(ink, 1.7));
  painter.setBrush(Qt::NoBrush);
  QPainterPath back;
  back.moveTo(7.5, 5.5);
  back.lineTo(7.5, 4.5);
  back.quadTo(7.5, 2.5, 9.5, 2.5);
  back.lineTo(17.5, 2.5);
  back.quadTo(19.5, 2.5, 19.5, 4.5);
  back.lineTo(19.5, 15.5);
  back.quadTo(19.5, 17.5, 17.5, 17.5);
  back.lineTo(16.5, 17.5);
  painter.drawPath(back);
  painter.drawRoundedRect(QRectF(4.5, 6.5, 12, 15), 2, 2);
}

void drawCheckmark(QPainter& painter, const QColor& ink) {
  painter.setPen(QPen(ink, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(Qt::NoBrush);
  const QPointF stroke[] = {{4.5, 12.5}, {9.5, 17.5}, {19.5, 6}};
  painter.drawPolyline(stroke, 3);
}

// A tray with an arrow leaving it upwards.
void drawShareArrow(QPainter& painter, const QColor& ink) {
  painter.setPen(QPen(ink, 1.7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(Qt::NoBrush);
  const QPointF tray[] = {{8, 9.5}, {5.5, 9.5}, {5.5, 21.5}, {18.5, 21.5}, {18.5, 9.5}, {16, 9.5}};
  painter.drawPolyline(tray, 6);
  painter.drawLine(QPointF(12, 2.5), QPointF(12, 15));
  const QPointF head[] = {{8.5, 6}, {12, 2.5}, {15.5, 6}};
  painter.drawPolyline(head, 3);
}

void drawEnvelope(QPainter& painter, const QColor& ink) {
  painter.setPen(QPen(ink, 1.7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(Qt::NoBrush);
  painter.drawRoundedRect(QRectF(2.5, 5.5, 19, 13), 2, 2);
  const QPointF flap[] = {{3.5, 6.5}, {12, 13}, {20.5, 6.5}};
  painter.drawPolyline(flap, 3);
}

}  // namespace

QIcon symbolIcon(std::string_view symbolName) {
  if (symbolName == "gearshape") return drawnIcon(drawGear);
  if (symbolName == "gearshape.2") return drawnIcon(drawTwoGears);
  if (symbolName == "paintbrush.pointed") return drawnIcon(drawPointedPaintbrush);
  if (symbolName == "menubar.rectangle") return drawnIcon(drawMenuBarRectangle);
  if (symbolName == "filemenu.and.selection") return drawnIcon(drawMenuWithSelection);
  if (symbolName == "bell.badge") return drawnIcon(drawBellWithBadge);
  if (symbolName == "calendar") return drawnIcon(drawCalendar);
  if (symbolName == "arrow.triangle.branch") return drawnIcon(drawBranchingArrows);
  if (symbolName == "globe") return drawnIcon(drawGlobe);
  if (symbolName == "command") return drawnIcon(drawKeyboard);
  if (symbolName == "nosign") return drawnIcon(drawNoSign);
  if (symbolName == "sparkles") return drawnIcon(drawSparkles);
  if (symbolName == "exclamationmark.circle.fill") return drawnIcon(drawExclamationInCircle);
  if (symbolName == "plus") return drawnIcon(drawPlus);
  if (symbolName == "minus") return drawnIcon(drawMinus);
  if (symbolName == "info.circle.fill") return drawnIcon(drawInfoInCircle);
  if (symbolName == "magnifyingglass") return drawnIcon(drawMagnifyingGlass);
  if (symbolName == "app.generic") return drawnIcon(drawGenericApplication);
  if (symbolName == "doc.on.doc") return drawnIcon(drawTwoDocuments);
  if (symbolName == "checkmark") return drawnIcon(drawCheckmark);
  if (symbolName == "square.and.arrow.up") return drawnIcon(drawShareArrow);
  if (symbolName == "envelope") return drawnIcon(drawEnvelope);
  return {};
}

SymbolView::SymbolView(std::string_view symbolName, int side, QWidget* parent)
    : QWidget(parent), icon_(symbolIcon(symbolName)), side_(side) {
  setFixedSize(side, side);
}

void SymbolView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  icon_.paint(&painter, rect(), Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
}

QIcon themeIcon(const char* themeName, std::string_view symbolName) {
  if (QIcon::hasThemeIcon(QString::fromLatin1(themeName))) return QIcon::fromTheme(QString::fromLatin1(themeName));
  return symbolIcon(symbolName);
}

QIcon appIconImage(const AppIcon& icon) {
  const QString nameOrPath = QString::fromStdString(icon.nameOrPath);
  if (nameOrPath.startsWith('/')) return QIcon(nameOrPath);
  if (!nameOrPath.isEmpty() && QIcon::hasThemeIcon(nameOrPath)) return QIcon::fromTheme(nameOrPath);
  return themeIcon(genericApplicationIcon().nameOrPath.c_str(), "app.generic");
}

}  // namespace kit
