#include "kit/ui/view_conditionals.h"

#include <QLabel>

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
  QPalette palette = widget.palette();
  if (color) palette.setColor(widget.backgroundRole(), *color);
  widget.setPalette(color ? palette : QPalette());
}

}  // namespace kit
