#include "kit/ui/document_text.h"

#include <algorithm>

namespace kit {

QString documentText(const QTextDocument& document) {
  return document.toRawText().replace(QChar::ParagraphSeparator, u'\n');
}

QTextCursor clampedCursor(QTextDocument& document, int anchor, int position) {
  // The last position is before the document's closing block separator.
  const int end = std::max(0, document.characterCount() - 1);
  QTextCursor cursor(&document);
  cursor.setPosition(std::clamp(anchor, 0, end));
  cursor.setPosition(std::clamp(position, 0, end), QTextCursor::KeepAnchor);
  return cursor;
}

}  // namespace kit
