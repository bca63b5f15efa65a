#pragma once

#include <QFont>
#include <QLineEdit>
#include <QPointer>
#include <QTextEdit>
#include <optional>
#include <string>

#include "kit/foundation/binding.h"

namespace kit {

// A text field bound to a string: every edit of the user writes the binding, and setDescription() shows the
// binding's value again. It is one scrolling line, or, chosen when it is made, a field whose text wraps onto as
// many lines as it needs (a line break is typed with Return). Main thread only.
class NativeTextField : public QWidget {
  Q_OBJECT

 public:
  struct Description {
    Binding<std::string> text;
    std::optional<std::string> placeholder;
    // None keeps the font the field has.
    std::optional<QFont> font;
    // Takes the keyboard focus once, the first time it is shown in a window without having it.
    bool isFirstResponder = false;
    // A frame with round ends; once given, a later description without it keeps it.
    bool roundedStyle = false;
    // Read when the field is made only.
    bool isSingleLine = true;
  };

  explicit NativeTextField(Description description, QWidget* parent = nullptr);

  // Applies a changed description to the same field: the text of its binding (assigned every time), its
  // placeholder (none clears it), its font when given and the rounded frame when asked for. Later edits write into
  // this description's binding.
  void setDescription(Description description);
  const Description& description() const { return description_; }

  bool isSingleLine() const { return lineEdit_ != nullptr; }
  // What the user types into: a QLineEdit, or a QTextEdit for the wrapping field.
  QWidget* editor() const;
  QString text() const;
  QString placeholderText() const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void userEdited(const QString& text);
  void takeFocusOnce();

  Description description_;
  QLineEdit* lineEdit_ = nullptr;
  QTextEdit* textEdit_ = nullptr;
  bool assigning_ = false;
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
    // Whether the field fills its background; without, what lies under it shows through.
    bool drawsBackground = true;
    std::optional<std::string> placeholder;
    // In points; none keeps the font the field has.
    std::optional<double> fontSize;
    // Without a frame or focus ring, for a field that sits on a bar.
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
