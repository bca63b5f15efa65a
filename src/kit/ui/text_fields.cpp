#include "kit/ui/text_fields.h"

#include <QKeyEvent>
#include <chrono>
#include <limits>

#include "kit/ui/view_layout.h"

namespace kit {

namespace {

constexpr std::chrono::milliseconds shakeDuration{300};
constexpr int shakeDistance = 5;

int64_t saturatingAdd(int64_t a, int64_t b) {
  int64_t sum = 0;
  if (!__builtin_add_overflow(a, b, &sum)) return sum;
  return b > 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
}

int64_t saturatingSubtract(int64_t a, int64_t b) {
  int64_t difference = 0;
  if (!__builtin_sub_overflow(a, b, &difference)) return difference;
  return b < 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
}

}  // namespace

AutofocusedTextField::AutofocusedTextField(QWidget* parent) : QLineEdit(parent) {}

void AutofocusedTextField::showEvent(QShowEvent* event) {
  QLineEdit::showEvent(event);
  setFocus(Qt::OtherFocusReason);
}

AutoselectOnFocusTextField::AutoselectOnFocusTextField(QWidget* parent) : QLineEdit(parent) {}

void AutoselectOnFocusTextField::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  // After the click that gave the focus has placed the cursor.
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (hasFocus()) selectAll();
      },
      Qt::QueuedConnection);
}

IntTextField::IntTextField(QWidget* parent) : QLineEdit(parent) {
  setFocusPolicy(Qt::StrongFocus);
  connect(this, &QLineEdit::textEdited, this, &IntTextField::typed);
  connect(this, &QLineEdit::editingFinished, this, &IntTextField::editingEnded);
}

int64_t IntTextField::integerValue() const {
  const QString value = text().trimmed();
  qsizetype end = 0;
  if (end < value.size() && (value[end] == '-' || value[end] == '+')) ++end;
  const qsizetype digitsStart = end;
  while (end < value.size() && value[end] >= '0' && value[end] <= '9') ++end;
  if (end == digitsStart) return 0;
  const bool negative = value[0] == '-';
  int64_t result = 0;
  for (qsizetype i = digitsStart; i < end; ++i) {
    const int digit = value[i].unicode() - '0';
    if (__builtin_mul_overflow(result, 10, &result) ||
        __builtin_add_overflow(result, negative ? -digit : digit, &result))
      return negative ? std::numeric_limits<int64_t>::min() : std::numeric_limits<int64_t>::max();
  }
  return result;
}

void IntTextField::keyPressEvent(QKeyEvent* event) {
  if (event->key() != Qt::Key_Up && event->key() != Qt::Key_Down) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
  const int64_t step = modifiers == Qt::AltModifier ? alternativeDelta : delta;
  const int64_t value =
      event->key() == Qt::Key_Up ? saturatingAdd(integerValue(), step) : saturatingSubtract(integerValue(), step);
  setText(QString::number(value));
  valueChanged();
  event->accept();
}

bool IntTextField::isOutOfRange(int64_t value) const {
  return minMax && (value < minMax->first || value > minMax->second);
}

void IntTextField::valueChanged() {
  const int64_t value = integerValue();
  if (isOutOfRange(value)) shake(*this, shakeDuration, ShakeAxis::horizontal, shakeDistance);
  if (onValueChange) onValueChange(value);
}

void IntTextField::typed() {
  if (text().isEmpty()) return;
  const int64_t value = integerValue();
  // Below the minimum and positive: more digits may still bring it into the range.
  if (isOutOfRange(value) && value > 0 && value <= minMax->second) return;
  valueChanged();
}

void IntTextField::editingEnded() {
  const int64_t value = integerValue();
  if (isOutOfRange(value)) shake(*this, shakeDuration, ShakeAxis::horizontal, shakeDistance);
  if (onBlur) onBlur(value);
}

}  // namespace kit
