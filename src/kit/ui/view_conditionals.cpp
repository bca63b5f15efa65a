#include "kit/ui/view_conditionals.h"

#include <QLabel>

#include "kit/ui/palette_roles.h"

namespace kit {

QLabel* optionalText(const std::optional<std::string>& text, QWidget* parent) {
  if (!text) return nullptr;
  auto* label = new QLabel(parent);
  label->setTextFormat(Qt::PlainText);
  label->setText(QString::fromStdString(*text));
  return label;
}

void setBackgroundColor(QWidget& widget, const std::optional<QColor>& color) {
  widget.setAutoFillBackground(color.has_value());
  if (color) {
    QPalette palette = widget.palette();
    palette.setColor(widget.backgroundRole(), *color);
    widget.setPalette(palette);
    return;
  }
  inheritColorRole(widget, widget.backgroundRole());  // every other colour set on it stays
}

}  // namespace kit
