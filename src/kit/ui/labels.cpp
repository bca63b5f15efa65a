#include "kit/ui/labels.h"

#include <QEvent>
#include <QResizeEvent>
#include <QTextDocument>

namespace kit {

namespace {

// A tooltip that shows the text as written: Qt takes a tooltip that looks like markup for rich text.
QString verbatimToolTip(const QString& text) {
  if (!Qt::mightBeRichText(text)) return text;
  return QStringLiteral("<p style='white-space:pre'>") + text.toHtmlEscaped() + QStringLiteral("</p>");
}

}  // namespace

CocoaLabel::CocoaLabel(const QString& text, QWidget* parent) : QLabel(text, parent) { setTextFormat(Qt::PlainText); }

void CocoaLabel::changeEvent(QEvent* event) {
  QLabel::changeEvent(event);
  if (event->type() == QEvent::EnabledChange) applyTextColor();
  if (event->type() == QEvent::ParentChange && parentWidget() != nullptr) adjustSize();
}

void CocoaLabel::applyTextColor() {
  QPalette palette = this->palette();
  const QPalette::ColorRole role = isEnabled() ? QPalette::WindowText : QPalette::PlaceholderText;
  const QColor color = parentWidget() ? parentWidget()->palette().color(QPalette::Active, role)
                                      : QPalette().color(QPalette::Active, role);
  palette.setColor(QPalette::Active, QPalette::WindowText, color);
  palette.setColor(QPalette::Inactive, QPalette::WindowText, color);
  palette.setColor(QPalette::Disabled, QPalette::WindowText, color);
  setPalette(palette);
}

ExpansionTextField::ExpansionTextField(const QString& text, QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setFullText(text);
}

void ExpansionTextField::setFullText(const QString& text) {
  fullText_ = text;
  updateTooltip();
  updateGeometry();
}

QSize ExpansionTextField::minimumSizeHint() const { return {0, QLabel::minimumSizeHint().height()}; }

QSize ExpansionTextField::sizeHint() const {
  return {fontMetrics().horizontalAdvance(fullText_) + 2 * margin() + 2, QLabel::sizeHint().height()};
}

void ExpansionTextField::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  updateTooltip();
}

void ExpansionTextField::updateTooltip() {
  const int available = contentsRect().width() - 2 * margin();
  const QString shown = fontMetrics().elidedText(fullText_, Qt::ElideRight, std::max(0, available));
  QLabel::setText(shown);
  setToolTip(shown == fullText_ ? QString() : verbatimToolTip(fullText_));
}

}  // namespace kit
