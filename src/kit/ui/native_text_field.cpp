#include "kit/ui/native_text_field.h"

#include <QAction>
#include <QEvent>
#include <QIcon>
#include <QPalette>

#include "kit/ui/symbol_icons.h"

namespace kit {

NativeTextField::NativeTextField(Description description, QWidget* parent) : QLineEdit(parent) {
  connect(this, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (description_.text.set) description_.text.set(text.toStdString());
  });
  setDescription(std::move(description));
}

void NativeTextField::setDescription(Description description) {
  // The binding is taken anew each time: a field reused for another value writes into that value.
  description_ = std::move(description);
  if (description_.text.get) setText(QString::fromStdString(description_.text.get()));
  setPlaceholderText(QString::fromStdString(description_.placeholder.value_or("")));
  if (description_.font) setFont(*description_.font);
  QMetaObject::invokeMethod(this, &NativeTextField::takeFocusOnce, Qt::QueuedConnection);
}

void NativeTextField::showEvent(QShowEvent* event) {
  QLineEdit::showEvent(event);
  QMetaObject::invokeMethod(this, &NativeTextField::takeFocusOnce, Qt::QueuedConnection);
}

void NativeTextField::takeFocusOnce() {
  if (!description_.isFirstResponder || didBecomeFirstResponder_ || !isVisible()) return;
  if (window()->focusWidget() == this) return;  // it has the focus already: it asks again if it loses it
  setFocus(Qt::OtherFocusReason);
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
  if (description_.isPlainStyle) palette.setBrush(QPalette::Base, Qt::transparent);
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
