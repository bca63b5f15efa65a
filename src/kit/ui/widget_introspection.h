#pragma once

#include <QAbstractScrollArea>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTextEdit>
#include <QWidget>
#include <type_traits>
#include <vector>

// Finding the widgets a composite widget is made of: Qt keeps a widget's parts as its children, so a search of the
// widget tree reaches a part that the composite does not hand out (the text view of a field, say). Main thread.
namespace kit {

// The widget, then its parents up to and including its window.
std::vector<QWidget*> responderChain(QWidget& widget);

// The parent of `widget` inside its window; none for a window. The searches below keep to the window of their entry:
// a dialog is not a part of the window it belongs to, nor is that window around the dialog's widgets.
inline QWidget* superview(const QWidget& widget) { return widget.isWindow() ? nullptr : widget.parentWidget(); }

// The first descendant of `root` that is a T, depth first in child order; `root` itself is not tested.
template <class T>
T* firstDescendant(QWidget& root) {
  for (QObject* child : root.children()) {
    auto* widget = qobject_cast<QWidget*>(child);
    if (!widget || widget->isWindow()) continue;
    if (auto* match = qobject_cast<T*>(widget)) return match;
    if (auto* match = firstDescendant<T>(*widget)) return match;
  }
  return nullptr;
}

// The nearest parent of `widget` that is a T; `widget` itself is not tested.
template <class T>
T* nearestAncestor(QWidget& widget) {
  for (QWidget* parent = superview(widget); parent; parent = superview(*parent)) {
    if (auto* match = qobject_cast<T*>(parent)) return match;
  }
  return nullptr;
}

// The widget children of `parent` inside its window, in child order (bottom of the stack first).
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
  for (QWidget* parent = superview(entry); parent; parent = superview(*parent)) {
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
// The nearest parent of `entry` that wraps one bridged widget, as its class name says ("ViewHost" in it).
QWidget* enclosingViewHost(QWidget& entry);

// The rules that pick the widget of a type around a marker (an IntrospectionMarker, say). A rule that starts at the
// marker's view host finds nothing without one; a rule of two searches tries the second only when the first finds
// nothing.
namespace TargetViewSelector {

// A T inside the siblings before the marker's view host, the nearest sibling first.
template <class T>
T* hostSiblingContaining(QWidget& marker) {
  QWidget* host = enclosingViewHost(marker);
  return host ? precedingSiblingContaining<T>(*host) : nullptr;
}

// The nearest sibling before the marker's view host that is itself a T.
template <class T>
T* hostSiblingOfType(QWidget& marker) {
  QWidget* host = enclosingViewHost(marker);
  return host ? precedingSiblingOfType<T>(*host) : nullptr;
}

template <class T>
T* hostSiblingContainingOrAncestor(QWidget& marker) {
  if (T* found = hostSiblingContaining<T>(marker)) return found;
  return nearestAncestor<T>(marker);
}

template <class T>
T* hostSiblingContainingOrAncestorOrDescendant(QWidget& marker) {
  if (T* found = hostSiblingContaining<T>(marker)) return found;
  return ancestorOrAncestorDescendant<T>(marker);
}

template <class T>
T* ancestorOrHostSiblingContaining(QWidget& marker) {
  if (T* found = nearestAncestor<T>(marker)) return found;
  return hostSiblingContaining<T>(marker);
}

template <class T>
T* ancestorOrHostSiblingOfType(QWidget& marker) {
  if (T* found = nearestAncestor<T>(marker)) return found;
  return hostSiblingOfType<T>(marker);
}

template <class T>
T* hostSiblingOfTypeOrAncestor(QWidget& marker) {
  if (T* found = hostSiblingOfType<T>(marker)) return found;
  return nearestAncestor<T>(marker);
}

// The text view a marker stands for: one inside a sibling before its view host, else one around it or under it.
inline QPlainTextEdit* textView(QWidget& marker) {
  return hostSiblingContainingOrAncestorOrDescendant<QPlainTextEdit>(marker);
}

// The rule for each kind of widget: an enclosing table wins over one beside the view host; a scroll area must be
// the host's sibling itself, and an enclosing one comes second; a text view may also lie around or under the
// marker; every other widget lies inside a sibling of the host.
template <class T>
T* forType(QWidget& marker) {
  if constexpr (std::is_base_of_v<QTableView, T>)
    return ancestorOrHostSiblingContaining<T>(marker);
  else if constexpr (std::is_base_of_v<QPlainTextEdit, T> || std::is_base_of_v<QTextEdit, T>)
    return hostSiblingContainingOrAncestorOrDescendant<T>(marker);
  else if constexpr (std::is_base_of_v<QAbstractScrollArea, T>)
    return hostSiblingOfTypeOrAncestor<T>(marker);
  else
    return hostSiblingContaining<T>(marker);
}

}  // namespace TargetViewSelector

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
