#include "kit/shortcuts/menu_item_shortcut.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QPointer>

#include "kit/shortcuts/key_display_names.h"
#include "kit/shortcuts/storage.h"
#include "platform/core/notification_center.h"

namespace kit::GlobalShortcuts {

namespace {

constexpr const char* followerName = "kit.GlobalShortcuts.shortcutFollower";

// Lives as a child of the action: the observation ends with the action.
class ShortcutFollower : public QObject {
 public:
  ShortcutFollower(QAction& action, Name name) : QObject(&action), name_(std::move(name)) {
    setObjectName(followerName);
    QPointer<QAction> target(&action);
    token_ = platform::NotificationCenter::defaultCenter().addObserver(
        shortcutByNameDidChange, [this, target](const platform::Notification& notification) {
          auto it = notification.userInfo.find("name");
          if (it == notification.userInfo.end() || target.isNull()) return;
          const auto* changed = std::any_cast<Name>(&it->second);
          if (changed == nullptr || changed->rawValue != name_.rawValue) return;
          setShortcut(*target, getShortcut(name_));
        });
  }

 private:
  Name name_;
  platform::rx::AnyCancellable token_;
};

ShortcutFollower* follower(const QAction& action) {
  return action.findChild<ShortcutFollower*>(followerName, Qt::FindDirectChildrenOnly);
}

void stopFollowing(QAction& action) { delete follower(action); }

}  // namespace

void setShortcut(QAction& action, const std::optional<Shortcut>& shortcut) {
  std::optional<QKeyCombination> combination;
  if (shortcut) combination = keyCombination(*shortcut);
  action.setShortcut(combination ? QKeySequence(*combination) : QKeySequence());
}

void setShortcut(QAction& action, const std::optional<Name>& name) {
  stopFollowing(action);
  if (!name) {
    action.setShortcut(QKeySequence());
    return;
  }
  setShortcut(action, getShortcut(*name));
  new ShortcutFollower(action, *name);
}

QAction* menuItemWithShortcut(const QMenu& menu, const Shortcut& shortcut) {
  const auto combination = keyCombination(shortcut);
  if (!combination) return nullptr;
  const QKeySequence wanted(*combination);
  for (QAction* action : menu.actions()) {
    // An item showing a global shortcut has no key equivalent of its own: the combination is that shortcut's.
    if (!action->shortcut().isEmpty() && action->shortcut() == wanted && !follower(*action)) return action;
    if (QMenu* submenu = action->menu()) {
      if (QAction* found = menuItemWithShortcut(*submenu, shortcut)) return found;
    }
  }
  return nullptr;
}

}  // namespace kit::GlobalShortcuts
