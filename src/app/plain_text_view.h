#pragma once

#include <QPlainTextEdit>
#include <string>

#include "kit/foundation/binding.h"

namespace app {

// A scrolling plain-text view bound to a string: each edit of the user writes the binding at once, and
// showBoundText() brings the view to the binding's value. Pasted rich text arrives as plain text. Main thread only.
class PlainTextView : public QPlainTextEdit {
  Q_OBJECT

 public:
  // Without a background of its own the view shows what lies behind it; read-only views never draw one.
  PlainTextView(kit::Binding<std::string> text, bool isEditable, const QFont& font, bool drawsBackground,
                QWidget* parent = nullptr);

  // Shows the binding's value. A text that already matches is left alone, so typing keeps its undo history; a
  // different one replaces the whole text, keeping the caret and selection where they were as far as the new
  // text reaches.
  void showBoundText();

 private:
  kit::Binding<std::string> text_;
  bool isAssigning_ = false;
};

}  // namespace app
