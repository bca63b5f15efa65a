#include "app/plain_text_view.h"

#include <QTextCursor>
#include <algorithm>

namespace app {

PlainTextView::PlainTextView(kit::Binding<std::string> text, bool isEditable, const QFont& font, bool drawsBackground,
                             QWidget* parent)
    : QPlainTextEdit(parent), text_(std::move(text)) {
  setReadOnly(!isEditable);
  setFont(font);
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  setUndoRedoEnabled(true);
  if (!drawsBackground || !isEditable) {
    setFrameShape(QFrame::NoFrame);
    QPalette palette = this->palette();
    palette.setBrush(QPalette::Base, Qt::transparent);
    setPalette(palette);
    viewport()->setAutoFillBackground(false);
  }
  if (!isEditable) setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  connect(this, &QPlainTextEdit::textChanged, this, [this] {
    if (!isAssigning_ && text_.set) text_.set(toPlainText().toStdString());
  });
  showBoundText();
}

void PlainTextView::showBoundText() {
  const QString bound = QString::fromStdString(text_.get ? text_.get() : std::string());
  if (bound == toPlainText()) return;
  const QTextCursor before = textCursor();
  const int anchor = before.anchor(), position = before.position();
  isAssigning_ = true;
  setPlainText(bound);
  isAssigning_ = false;
  QTextCursor after(document());
  const int end = static_cast<int>(bound.size());
  after.setPosition(std::min(anchor, end));
  after.setPosition(std::min(position, end), QTextCursor::KeepAnchor);
  setTextCursor(after);
}

}  // namespace app
