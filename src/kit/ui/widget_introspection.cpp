#include "kit/ui/widget_introspection.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace kit {

std::vector<QWidget*> responderChain(QWidget& widget) {
  std::vector<QWidget*> chain;
  for (QWidget* link = &widget; link; link = link->parentWidget()) chain.push_back(link);
  return chain;
}

bool disableTextSubstitutions(QWidget& field) {
  QWidget* textView = findWidget<QPlainTextEdit>(field);
  if (!textView) textView = findWidget<QTextEdit>(field);
  if (!textView) textView = findWidget<QLineEdit>(field);
  if (!textView) return false;
  textView->setInputMethodHints(textView->inputMethodHints() | Qt::ImhNoPredictiveText | Qt::ImhNoAutoUppercase);
  return true;
}

}  // namespace kit
