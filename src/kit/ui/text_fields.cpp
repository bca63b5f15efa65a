#include "kit/ui/text_fields.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <chrono>
#include <limits>
#include <optional>

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

// The decimal number with an optional sign that `text` starts with: its value, held at the nearer end of int64_t
// when it does not fit, and how many characters it takes (none, and the value 0, when no digit follows the sign).
struct LeadingDecimal {
  int64_t value = 0;
  qsizetype length = 0;
  bool fits = true;
};

LeadingDecimal leadingDecimal(QStringView text) {
  LeadingDecimal number;
  qsizetype end = !text.isEmpty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
  const qsizetype digitsStart = end;
  const bool negative = digitsStart == 1 && text[0] == '-';
  for (; end < text.size() && text[end] >= '0' && text[end] <= '9'; ++end) {
    const int digit = text[end].unicode() - '0';
    if (number.fits && (__builtin_mul_overflow(number.value, 10, &number.value) ||
                        __builtin_add_overflow(number.value, negative ? -digit : digit, &number.value))) {
      number.fits = false;
      number.value = negative ? std::numeric_limits<int64_t>::min() : std::numeric_limits<int64_t>::max();
    }
  }
  if (end > digitsStart) number.length = end;
  return number;
}

// The whole text as a decimal number with an optional sign; none when it is anything else ("12 apples", " 12") or
// does not fit.
std::optional<int64_t> wholeDecimal(const QString& text) {
  const LeadingDecimal number = leadingDecimal(text);
  if (number.length == 0 || number.length != text.size() || !number.fits) return std::nullopt;
  return number.value;
}

bool isStepKey(const QKeyEvent& event) { return event.key() == Qt::Key_Up || event.key() == Qt::Key_Down; }

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
  // Not editingFinished: it leaves out a focus change when the text did not change.
  connect(this, &QLineEdit::returnPressed, this, &IntTextField::editingEnded);
}

int64_t IntTextField::integerValue() const {
  return leadingDecimal(text().trimmed()).value;  // 0 when it starts with no number
}

bool IntTextField::event(QEvent* event) {
  // The arrows, alone or with Alt, step the field before a shortcut of its window on the same keys.
  if (event->type() == QEvent::ShortcutOverride) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    if (isStepKey(*key) && (modifiers == Qt::NoModifier || modifiers == Qt::AltModifier)) {
      event->accept();
      return true;
    }
  }
  return QLineEdit::event(event);
}

void IntTextField::keyPressEvent(QKeyEvent* event) {
  if (!isStepKey(*event)) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
  const int64_t step = modifiers == Qt::AltModifier ? alternativeDelta : delta;
  const int64_t current = wholeDecimal(text()).value_or(0);
  const int64_t value = event->key() == Qt::Key_Up ? saturatingAdd(current, step) : saturatingSubtract(current, step);
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

void IntTextField::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  // A popup of the field's own (its context menu) leaves the editing going on.
  if (event->reason() != Qt::PopupFocusReason) editingEnded();
}

void IntTextField::editingEnded() {
  const int64_t value = integerValue();
  if (isOutOfRange(value)) shake(*this, shakeDuration, ShakeAxis::horizontal, shakeDistance);
  if (onBlur) onBlur(value);
}

}  // namespace kit
