#pragma once

#include <QColor>
#include <QPalette>
#include <QWidget>

// Makes the widget paint its whole area in one colour, so that a test sees what is drawn over it or shows through.
inline void fillWith(QWidget& widget, QColor colour) {
  widget.setAutoFillBackground(true);
  QPalette palette = widget.palette();
  palette.setColor(QPalette::Window, colour);
  widget.setPalette(palette);
}
