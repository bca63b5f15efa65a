#pragma once

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QMenu>

// What a button or a menu item shows for its title, as Qt reads it out (and draws it): "&&" as one "&", the mark of
// a keyboard mnemonic left out.
inline QString titleShown(QWidget& widget) {
  QAccessibleInterface* interface = QAccessible::queryAccessibleInterface(&widget);
  return interface ? interface->text(QAccessible::Name) : QString();
}

inline QString titleShown(QMenu& menu, const QAction& item) {
  QAccessibleInterface* interface = QAccessible::queryAccessibleInterface(&menu);
  const int index = static_cast<int>(menu.actions().indexOf(const_cast<QAction*>(&item)));
  if (interface == nullptr || index < 0 || index >= interface->childCount()) return {};
  return interface->child(index)->text(QAccessible::Name);
}

// Whether the button answers a key of its title (Alt and the letter after an "&").
inline bool hasMnemonic(const QAbstractButton& button) { return !button.shortcut().isEmpty(); }
