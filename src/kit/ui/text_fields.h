#pragma once

#include <QLineEdit>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

namespace kit {

// A text field that takes the keyboard focus whenever it is shown in a window.
class AutofocusedTextField : public QLineEdit {
  Q_OBJECT

 public:
  explicit AutofocusedTextField(QWidget* parent = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;
};

// A text field that selects its whole text when it gains the focus, also by a click.
class AutoselectOnFocusTextField : public QLineEdit {
  Q_OBJECT

 public:
  explicit AutoselectOnFocusTextField(QWidget* parent = nullptr);

 protected:
  void focusInEvent(QFocusEvent* event) override;
};

// A field for a whole number: the arrow keys step it (by `alternativeDelta` with Alt) from the number the whole text
// is (0 when it is none), a value outside `minMax` shakes the field, and the callbacks hear each new value and the
// value each time editing ends (Return, or the focus leaving the field). Values are not clamped to the range: the
// shake tells the user. Stepping stops at the bounds of a 64-bit integer. While the field has the focus, the arrows
// alone and with Alt are its own, before any shortcut of its window.
class IntTextField : public QLineEdit {
  Q_OBJECT

 public:
  explicit IntTextField(QWidget* parent = nullptr);

  int64_t delta = 1;
  int64_t alternativeDelta = 10;
  std::function<void(int64_t)> onValueChange;
  std::function<void(int64_t)> onBlur;
  std::optional<std::pair<int64_t, int64_t>> minMax;  // closed range

  // The text read as a decimal number: its leading sign and digits, 0 when there are none.
  int64_t integerValue() const;

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void typed();
  void editingEnded();
  void valueChanged();
  bool isOutOfRange(int64_t value) const;
};

}  // namespace kit
