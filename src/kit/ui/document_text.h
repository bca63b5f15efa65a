#pragma once

#include <QString>
#include <QTextCursor>
#include <QTextDocument>

namespace kit {

// The text a document holds, character for character, with its blocks separated by "\n": what setPlainText() was
// given reads back the same (toPlainText() turns each no-break space into a space and each line separator into a
// line break). Only line breaks are not kept as given: a carriage return, a CR LF pair and a paragraph separator
// each read back as "\n", the document's one separator for all of them.
QString documentText(const QTextDocument& document);

// A cursor over the document from `anchor` to `position`, each brought back to the document's end where it lies
// past it.
QTextCursor clampedCursor(QTextDocument& document, int anchor, int position);

// Shows `text` in an editor (a QTextEdit or a QPlainTextEdit) with its caret and selection where they were, as far
// as the new text reaches.
template <class Editor>
void replaceTextKeepingSelection(Editor& editor, const QString& text) {
  const QTextCursor before = editor.textCursor();
  const int anchor = before.anchor(), position = before.position();
  editor.setPlainText(text);
  editor.setTextCursor(clampedCursor(*editor.document(), anchor, position));
}

}  // namespace kit
