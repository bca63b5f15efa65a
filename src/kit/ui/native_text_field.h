#pragma once

#include <QFont>
#include <QLineEdit>
#include <QPointer>
#include <optional>
#include <string>

#include "kit/ui/binding.h"

namespace kit {

// A one-line text field bound to a string: every edit of the user writes the binding, and setDescription() shows
// the binding's value again. Main thread only.
class NativeTextField : public QLineEdit {
  Q_OBJECT

 public:
  struct Description {
    Binding<std::string> text;
    std::optional<std::string> placeholder;
    // None keeps the font the field has.
    std::optional<QFont> font;
    // Takes the keyboard focus once, the first time it is shown in a window without having it.
    bool isFirstResponder = false;
  };

  explicit NativeTextField(Description description, QWidget* parent = nullptr);

  // Applies a changed description to the same field: the text of its binding (assigned every time), its
  // placeholder (none clears it) and its font when given. Later edits write into this description's binding.
  void setDescription(Description description);
  const Description& description() const { return description_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void takeFocusOnce();

  Description description_;
  bool didBecomeFirstResponder_ = false;
};

// A search field bound to a string: it takes the keyboard focus each time it comes into a window, and
// setDescription() assigns the binding's value only when the field shows another text, so the caret stays put
// while the user types. Main thread only.
class SearchField : public QLineEdit {
  Q_OBJECT

 public:
  struct Description {
    Binding<std::string> text;
    std::optional<std::string> placeholder;
    // In points; none keeps the font the field has.
    std::optional<double> fontSize;
    // Without a frame or a background of its own, for a field that sits on a bar.
    bool isPlainStyle = false;
  };

  explicit SearchField(Description description, QWidget* parent = nullptr);

  void setDescription(Description description);
  const Description& description() const { return description_; }

 protected:
  bool event(QEvent* event) override;

 private:
  Description description_;
  QPointer<QWidget> window_;
};

}  // namespace kit
