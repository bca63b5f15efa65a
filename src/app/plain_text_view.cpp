#include "app/plain_text_view.h"

#include <QMimeData>
#include <QTextCharFormat>

#include "kit/ui/document_text.h"

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
    if (isAssigning_ || !text_.set) return;
    // Whoever hears of the write (an observable announcing it first) must not put the old text back meanwhile.
    isWriting_ = true;
    text_.set(this->text());
    isWriting_ = false;
  });
  showBoundText();
}

std::string PlainTextView::text() const { return kit::documentText(*document()).toStdString(); }

void PlainTextView::showBoundText() {
  if (isWriting_) return;
  const std::string bound = text_.get ? text_.get() : std::string();
  if (bound == text()) return;
  isAssigning_ = true;
  kit::replaceTextKeepingSelection(*this, QString::fromStdString(bound));
  isAssigning_ = false;
}

bool PlainTextView::becomeFirstResponder() {
  setFocus(Qt::OtherFocusReason);
  return hasFocus();
}

void PlainTextView::focusInEvent(QFocusEvent* event) {
  if (document()->isEmpty()) setCurrentCharFormat(QTextCharFormat());
  QPlainTextEdit::focusInEvent(event);
}

bool PlainTextView::canInsertFromMimeData(const QMimeData* source) const { return source && source->hasText(); }

void PlainTextView::insertFromMimeData(const QMimeData* source) {
  if (!source || !source->hasText()) return;
  insertPlainText(source->text());
  ensureCursorVisible();
}

}  // namespace app
