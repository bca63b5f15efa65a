#pragma once

#include <QPlainTextEdit>
#include <string>

#include "kit/foundation/binding.h"

namespace app {

// A scrolling plain-text view bound to a string: each edit of the user writes the binding at once, and
// showBoundText() brings the view to the binding's value. The text goes both ways exactly as typed, no-break spaces
// and line separators included. Pasted rich text arrives as plain text. Main thread only.
class PlainTextView : public QPlainTextEdit {
  Q_OBJECT

 public:
  // Without a background of its own the view shows what lies behind it; read-only views never draw one.
  PlainTextView(kit::Binding<std::string> text, bool isEditable, const QFont& font, bool drawsBackground,
                QWidget* parent = nullptr);

  // Shows the binding's value. A text that already matches is left alone, so typing keeps its undo history; a
  // different one replaces the whole text, keeping the caret and selection where they were as far as the new
  // text reaches. Ignored while the view hands an edit to the binding.
  void showBoundText();
  // The text as the view holds it, blocks separated by "\n".
  std::string text() const;
  // Takes the keyboard focus; answers whether the view has it.
  bool becomeFirstResponder();

 protected:
  // An empty view taking the focus starts over as an empty text in its own font, whatever the text deleted last
  // carried; a view with text keeps its text and selection.
  void focusInEvent(QFocusEvent* event) override;
  // A paste or a drop inserts the copy's plain text only, whatever richer forms (Markdown, HTML) it carries.
  bool canInsertFromMimeData(const QMimeData* source) const override;
  void insertFromMimeData(const QMimeData* source) override;

 private:
  kit::Binding<std::string> text_;
  bool isAssigning_ = false;
  bool isWriting_ = false;
};

}  // namespace app
