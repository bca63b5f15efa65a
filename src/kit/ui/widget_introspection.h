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

// The widget children of `parent`, in child order (bottom of the stack first).
std::vector<QWidget*> childWidgets(const QWidget& parent);

// Of the direct children of `root`, each stands for itself when it is a T and for the first T inside it otherwise.
// One such candidate is the answer wherever it lies; of several, the first whose area holds the centre of `entry`
// is, and none when no area holds it.
template <class T>
T* descendantUnderEntry(QWidget& root, QWidget& entry) {
  std::vector<T*> candidates;
  for (QWidget* child : childWidgets(root)) {
    if (auto* match = qobject_cast<T*>(child)) {
      candidates.push_back(match);
    } else if (auto* inside = firstDescendant<T>(*child)) {
      candidates.push_back(inside);
    }
  }
  if (candidates.empty()) return nullptr;
  if (candidates.size() == 1) return candidates.front();
  const QPoint centre = entry.mapToGlobal(QPoint(entry.width() / 2, entry.height() / 2));
  for (T* candidate : candidates) {
    if (QRect(QPoint(0, 0), candidate->size()).contains(candidate->mapFromGlobal(centre))) return candidate;
  }
  return nullptr;
}

// The siblings of `entry` before it, nearest first; none when it has no parent or is the first child.
std::vector<QWidget*> precedingSiblings(QWidget& entry);
// `entry` and the siblings after it, in child order; none when it has no parent.
std::vector<QWidget*> entryAndFollowingSiblings(QWidget& entry);

// The first T inside the nearest earlier sibling that holds one (the siblings themselves are not tested).
template <class T>
T* precedingSiblingContaining(QWidget& entry) {
  for (QWidget* sibling : precedingSiblings(entry))
    if (auto* match = firstDescendant<T>(*sibling)) return match;
  return nullptr;
}

// The nearest earlier sibling that is a T (nothing inside the siblings is searched).
template <class T>
T* precedingSiblingOfType(QWidget& entry) {
  for (QWidget* sibling : precedingSiblings(entry))
    if (auto* match = qobject_cast<T*>(sibling)) return match;
  return nullptr;
}

// The first T inside `entry` or inside a later sibling, `entry` first.
template <class T>
T* followingSiblingContaining(QWidget& entry) {
  for (QWidget* sibling : entryAndFollowingSiblings(entry))
    if (auto* match = firstDescendant<T>(*sibling)) return match;
  return nullptr;
}

// `entry` itself when it is a T, else the first later sibling that is one.
template <class T>
T* followingSiblingOfType(QWidget& entry) {
  for (QWidget* sibling : entryAndFollowingSiblings(entry))
    if (auto* match = qobject_cast<T*>(sibling)) return match;
  return nullptr;
}

// Going up from `entry`'s parent: the first parent that is a T, or else the T under `entry` among that parent's
// descendants (descendantUnderEntry), whichever comes first.
template <class T>
T* ancestorOrAncestorDescendant(QWidget& entry) {
  for (QWidget* parent = entry.parentWidget(); parent; parent = parent->parentWidget()) {
    if (auto* match = qobject_cast<T*>(parent)) return match;
    if (auto* match = descendantUnderEntry<T>(*parent, entry)) return match;
  }
  return nullptr;
}

// The nearest parent of `entry` whose class name (as Qt's meta-object has it) contains `text`, case-sensitively.
QWidget* ancestorWithClassNameContaining(QWidget& entry, const char* text);
// The nearest parent of `entry` that hosts content, as its class name says ("HostingView" in it, such as
// NoInsetHostingView).
QWidget* enclosingHostingView(QWidget& entry);

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
