#pragma once

#include <QWidget>
#include <vector>

// Finding the widgets a composite widget is made of: Qt keeps a widget's parts as its children, so a search of the
// widget tree reaches a part that the composite does not hand out (the text view of a field, say). Main thread.
namespace kit {

// The widget, then its parents up to and including its window.
std::vector<QWidget*> responderChain(QWidget& widget);

// The first descendant of `root` that is a T, depth first in child order; `root` itself is not tested.
template <class T>
T* firstDescendant(QWidget& root) {
  for (QObject* child : root.children()) {
    auto* widget = qobject_cast<QWidget*>(child);
    if (!widget) continue;
    if (auto* match = qobject_cast<T*>(widget)) return match;
    if (auto* match = firstDescendant<T>(*widget)) return match;
  }
  return nullptr;
}

// The nearest parent of `widget` that is a T; `widget` itself is not tested.
template <class T>
T* nearestAncestor(QWidget& widget) {
  for (QWidget* parent = widget.parentWidget(); parent; parent = parent->parentWidget()) {
    if (auto* match = qobject_cast<T*>(parent)) return match;
  }
  return nullptr;
}

// The T that makes up `entry`: `entry` itself, else the first one inside it, else the nearest one around it.
template <class T>
T* findWidget(QWidget& entry) {
  if (auto* match = qobject_cast<T*>(&entry)) return match;
  if (auto* match = firstDescendant<T>(entry)) return match;
  return nearestAncestor<T>(entry);
}

// Asks input methods not to change what is typed into the field's text view (no corrections, predictions, smart
// punctuation or automatic capitals), as code and test input need. False when the field holds no text view.
bool disableTextSubstitutions(QWidget& field);

}  // namespace kit
