#include "kit/ui/widget_introspection.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <algorithm>
#include <iterator>

namespace kit {

std::vector<QWidget*> responderChain(QWidget& widget) {
  std::vector<QWidget*> chain;
  for (QWidget* link = &widget; link; link = link->parentWidget()) chain.push_back(link);
  return chain;
}

std::vector<QWidget*> childWidgets(const QWidget& parent) {
  std::vector<QWidget*> widgets;
  for (QObject* child : parent.children())
    if (auto* widget = qobject_cast<QWidget*>(child); widget && !widget->isWindow()) widgets.push_back(widget);
  return widgets;
}

std::vector<QWidget*> precedingSiblings(QWidget& entry) {
  if (!superview(entry)) return {};
  const std::vector<QWidget*> siblings = childWidgets(*superview(entry));
  const auto at = std::find(siblings.begin(), siblings.end(), &entry);
  return {std::make_reverse_iterator(at), siblings.rend()};
}

std::vector<QWidget*> entryAndFollowingSiblings(QWidget& entry) {
  if (!superview(entry)) return {};
  const std::vector<QWidget*> siblings = childWidgets(*superview(entry));
  return {std::find(siblings.begin(), siblings.end(), &entry), siblings.end()};
}

QWidget* ancestorWithClassNameContaining(QWidget& entry, const char* text) {
  for (QWidget* parent = superview(entry); parent; parent = superview(*parent)) {
    if (QLatin1String(parent->metaObject()->className()).contains(QLatin1String(text), Qt::CaseSensitive))
      return parent;
  }
  return nullptr;
}

QWidget* enclosingHostingView(QWidget& entry) { return ancestorWithClassNameContaining(entry, "HostingView"); }

QWidget* enclosingViewHost(QWidget& entry) { return ancestorWithClassNameContaining(entry, "ViewHost"); }

bool disableTextSubstitutions(QWidget& field) {
  QWidget* textView = findWidget<QPlainTextEdit>(field);
  if (!textView) textView = findWidget<QTextEdit>(field);
  if (!textView) textView = findWidget<QLineEdit>(field);
  if (!textView) return false;
  textView->setInputMethodHints(textView->inputMethodHints() | Qt::ImhNoPredictiveText | Qt::ImhNoAutoUppercase);
  return true;
}

}  // namespace kit
