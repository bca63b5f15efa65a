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
  if (color) {
    QPalette palette = widget.palette();
    palette.setColor(widget.backgroundRole(), *color);
    widget.setPalette(palette);
    return;
  }
  // Only the background goes back to what the widget inherits; every other colour set on it stays.
  const QPalette own = widget.palette();
  QPalette kept;
  for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    for (int index = 0; index < QPalette::NColorRoles; ++index) {
      const auto role = static_cast<QPalette::ColorRole>(index);
      if (role != QPalette::NoRole && role != widget.backgroundRole() && own.isBrushSet(group, role))
        kept.setBrush(group, role, own.brush(group, role));
    }
  }
  widget.setPalette(kept);
}

}  // namespace kit
