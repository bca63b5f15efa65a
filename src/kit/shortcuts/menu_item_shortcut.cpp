#include "kit/shortcuts/menu_item_shortcut.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QPointer>

#include "kit/shortcuts/key_display_names.h"
#include "kit/shortcuts/storage.h"
#include "platform/core/notification_center.h"

namespace kit::GlobalShortcuts {

ObjectAssociation<std::shared_ptr<platform::rx::AnyCancellable>>& shortcutObserverAssociation() {
  static ObjectAssociation<std::shared_ptr<platform::rx::AnyCancellable>> association(nullptr);
  return association;
}

void setShortcut(QAction& action, const std::optional<Shortcut>& shortcut) {
  std::optional<QKeyCombination> combination;
  if (shortcut) combination = keyCombination(*shortcut);
  action.setShortcut(combination ? QKeySequence(*combination) : QKeySequence());
}

void setShortcut(QAction& action, const std::optional<Name>& name) {
  if (!name) {
    setShortcut(action, std::nullopt);
    return;
  }
  setShortcut(action, getShortcut(*name));
  QPointer<QAction> target(&action);
  auto observer = platform::NotificationCenter::defaultCenter().addObserver(
      shortcutByNameDidChange, [target, name = *name](const platform::Notification& notification) {
        auto it = notification.userInfo.find("name");
        if (it == notification.userInfo.end() || target.isNull()) return;
        const auto* changed = std::any_cast<Name>(&it->second);
        if (changed == nullptr || changed->rawValue != name.rawValue) return;
        setShortcut(*target, getShortcut(name));
      });
  shortcutObserverAssociation().set(&action, std::make_shared<platform::rx::AnyCancellable>(std::move(observer)));
}

void setShortcut(QAction& action, std::nullopt_t) {
  action.setShortcut(QKeySequence());
  shortcutObserverAssociation().set(&action, nullptr);
}

QAction* menuItemWithShortcut(const QMenu& menu, const Shortcut& shortcut) {
  const auto combination = keyCombination(shortcut);
  if (!combination) return nullptr;
  const QKeySequence wanted(*combination);
  for (QAction* action : menu.actions()) {
    // An item showing a global shortcut has no key equivalent of its own: the combination is that shortcut's.
    if (!action->shortcut().isEmpty() && action->shortcut() == wanted && !shortcutObserverAssociation().get(action))
      return action;
    if (QMenu* submenu = action->menu()) {
      if (QAction* found = menuItemWithShortcut(*submenu, shortcut)) return found;
    }
  }
  return nullptr;
}

}  // namespace kit::GlobalShortcuts
