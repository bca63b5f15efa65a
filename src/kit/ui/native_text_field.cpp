#include "kit/ui/native_text_field.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QEvent>
#include <QIcon>
#include <QPalette>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "kit/ui/document_text.h"
#include "kit/ui/symbol_icons.h"

namespace kit {

namespace {

// A text view that behaves as a field: no scroll bars, Tab moves on, and as high as its wrapped text.
class WrappingTextEdit final : public QTextEdit {
 public:
  explicit WrappingTextEdit(QWidget* parent) : QTextEdit(parent) {
    setAcceptRichText(false);
    setTabChangesFocus(true);
    setLineWrapMode(QTextEdit::WidgetWidth);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(document()->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this,
            [this] { updateGeometry(); });
  }

  QSize sizeHint() const override {
    const int frame = 2 * frameWidth() + contentsMargins().top() + contentsMargins().bottom();
    const int lines = std::max(1, static_cast<int>(std::ceil(document()->size().height())));
    return {QTextEdit::sizeHint().width(), std::max(lines, fontMetrics().height() + 2 * 4) + frame};
  }
  QSize minimumSizeHint() const override { return {0, sizeHint().height()}; }
};

// A new text puts the caret at its end; the text shown coming back (the value the user types, returned by the screen
// that holds it) leaves the caret and the selection where they were, or the next key would land at the end.
void assignKeepingCaret(QLineEdit& edit, const QString& text) {
  if (edit.text() != text) return edit.setText(text);
  const int position = edit.cursorPosition();
  const int anchor = !edit.hasSelectedText()             ? position
                     : edit.selectionStart() == position ? edit.selectionEnd()
                                                         : edit.selectionStart();
  edit.setText(text);
  edit.setSelection(anchor, position - anchor);
}

QString roundedStyleSheet(const char* editorClass, int radius) {
  return QStringLiteral(
             "%1 { border: 1px solid palette(mid); border-radius: %2px; padding: 1px 6px; "
             "background: palette(base); }")
      .arg(QLatin1String(editorClass))
      .arg(radius);
}

}  // namespace

NativeTextField::NativeTextField(Description description, QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  if (description.isSingleLine) {
    lineEdit_ = new QLineEdit(this);
    connect(lineEdit_, &QLineEdit::textEdited, this, &NativeTextField::userEdited);
  } else {
    textEdit_ = new WrappingTextEdit(this);
    connect(textEdit_, &QTextEdit::textChanged, this, [this] {
      if (!assigning_) userEdited(text());
    });
  }
  layout->addWidget(editor());
  setFocusProxy(editor());
  setSizePolicy(editor()->sizePolicy());
  setDescription(std::move(description));
}

QWidget* NativeTextField::editor() const {
  if (lineEdit_) return lineEdit_;
  return textEdit_;
}

QString NativeTextField::text() const { return lineEdit_ ? lineEdit_->text() : documentText(*textEdit_->document()); }

QString NativeTextField::placeholderText() const {
  return lineEdit_ ? lineEdit_->placeholderText() : textEdit_->placeholderText();
}

void NativeTextField::userEdited(const QString& text) {
  if (description_.text.set) description_.text.set(text.toStdString());
}

void NativeTextField::setDescription(Description description) {
  // The binding is taken anew each time: a field reused for another value writes into that value.
  description_ = std::move(description);
  const QString placeholder = QString::fromStdString(description_.placeholder.value_or(""));
  assigning_ = true;
  if (lineEdit_) {
    if (description_.text.get) assignKeepingCaret(*lineEdit_, QString::fromStdString(description_.text.get()));
    lineEdit_->setPlaceholderText(placeholder);
  } else {
    if (description_.text.get) replaceTextKeepingSelection(*textEdit_, QString::fromStdString(description_.text.get()));
    textEdit_->setPlaceholderText(placeholder);
  }
  assigning_ = false;
  if (description_.font) editor()->setFont(*description_.font);
  if (description_.roundedStyle) {
    const int radius = lineEdit_ ? (editor()->fontMetrics().height() + 6) / 2 : 6;
    editor()->setStyleSheet(roundedStyleSheet(lineEdit_ ? "QLineEdit" : "QTextEdit", radius));
  }
  QMetaObject::invokeMethod(this, &NativeTextField::takeFocusOnce, Qt::QueuedConnection);
}

void NativeTextField::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  QMetaObject::invokeMethod(this, &NativeTextField::takeFocusOnce, Qt::QueuedConnection);
}

void NativeTextField::takeFocusOnce() {
  if (!description_.isFirstResponder || didBecomeFirstResponder_ || !isVisible()) return;
  if (window()->focusWidget() == editor()) return;  // it has the focus already: it asks again if it loses it
  editor()->setFocus(Qt::OtherFocusReason);
  didBecomeFirstResponder_ = true;
}

SearchField::SearchField(Description description, QWidget* parent) : QLineEdit(parent) {
  addAction(themeIcon("edit-find", "magnifyingglass"), QLineEdit::LeadingPosition);
  setClearButtonEnabled(true);
  connect(this, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (description_.text.set) description_.text.set(text.toStdString());
  });
  setDescription(std::move(description));
}

void SearchField::setDescription(Description description) {
  description_ = std::move(description);
  setFrame(!description_.isPlainStyle);
  QPalette palette;  // nothing of its own: the window's
  if (!description_.drawsBackground) palette.setBrush(QPalette::Base, Qt::transparent);
  setPalette(palette);
  setPlaceholderText(QString::fromStdString(description_.placeholder.value_or("")));
  if (description_.text.get) {
    const QString bound = QString::fromStdString(description_.text.get());
    if (bound != text()) setText(bound);
  }
  if (description_.fontSize) {
    QFont sized = font();
    sized.setPointSizeF(*description_.fontSize);
    setFont(sized);
  }
}

bool SearchField::event(QEvent* event) {
  const bool handled = QLineEdit::event(event);
  // Each time it comes into a window it takes the focus, from the next turn, once the window can give it.
  if ((event->type() == QEvent::Show || event->type() == QEvent::ParentChange) && window() != window_) {
    window_ = window();
    QMetaObject::invokeMethod(
        this, [this] { setFocus(Qt::OtherFocusReason); }, Qt::QueuedConnection);
  }
  return handled;
}

}  // namespace kit
