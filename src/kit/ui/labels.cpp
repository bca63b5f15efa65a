#include "kit/ui/labels.h"

#include <QEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QStyle>
#include <QTextDocument>

namespace kit {

namespace {

// A tooltip that shows the text as written: Qt takes a tooltip that looks like markup for rich text.
QString verbatimToolTip(const QString& text) {
  if (!Qt::mightBeRichText(text)) return text;
  return QStringLiteral("<p style='white-space:pre'>") + text.toHtmlEscaped() + QStringLiteral("</p>");
}

}  // namespace

CocoaLabel::CocoaLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
  setTextFormat(Qt::PlainText);
  applyDisabledTextColor();
  // A parent given here arrives inside QWidget's constructor, before the label hears of parent changes.
  if (parent != nullptr) adjustSize();
}

void CocoaLabel::changeEvent(QEvent* event) {
  QLabel::changeEvent(event);
  if (event->type() == QEvent::PaletteChange) applyDisabledTextColor();
  if (event->type() == QEvent::ParentChange && parentWidget() != nullptr) adjustSize();
}

void CocoaLabel::applyDisabledTextColor() {
  // Only the disabled text is set: the enabled text keeps the palette's own colour, and the secondary colour is
  // taken again from each palette the label inherits (a switch between light and dark).
  QPalette palette = this->palette();
  const QColor secondary = palette.color(QPalette::Active, QPalette::PlaceholderText);
  // Setting the palette sends another change; it finds the colour in place and stops there.
  if (palette.isBrushSet(QPalette::Disabled, QPalette::WindowText) &&
      palette.color(QPalette::Disabled, QPalette::WindowText) == secondary)
    return;
  palette.setColor(QPalette::Disabled, QPalette::WindowText, secondary);
  setPalette(palette);
}

ExpansionTextField::ExpansionTextField(const QString& text, QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setText(text);
}

void ExpansionTextField::setText(const QString& text) {
  QLabel::setText(text);
  updateTooltip();
}

QSize ExpansionTextField::minimumSizeHint() const { return {0, QLabel::minimumSizeHint().height()}; }

QSize ExpansionTextField::sizeHint() const {
  return {fontMetrics().horizontalAdvance(text()) + 2 * margin() + 2, QLabel::sizeHint().height()};
}

void ExpansionTextField::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  updateTooltip();
}

void ExpansionTextField::changeEvent(QEvent* event) {
  QLabel::changeEvent(event);
  // Another font or style cuts the text elsewhere.
  if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) updateTooltip();
}

void ExpansionTextField::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  drawFrame(&painter);
  const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
  style()->drawItemText(&painter, area, QStyle::visualAlignment(layoutDirection(), alignment()), palette(), isEnabled(),
                        shownText(), foregroundRole());
}

QString ExpansionTextField::shownText() const {
  const int available = contentsRect().width() - 2 * margin();
  return fontMetrics().elidedText(text(), Qt::ElideRight, std::max(0, available));
}

void ExpansionTextField::updateTooltip() { setToolTip(shownText() == text() ? QString() : verbatimToolTip(text())); }

}  // namespace kit
