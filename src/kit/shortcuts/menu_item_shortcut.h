#pragma once

#include <memory>
#include <optional>

#include "kit/foundation/object_lifetime.h"
#include "kit/shortcuts/name.h"
#include "kit/shortcuts/shortcut.h"

class QAction;
class QMenu;

namespace kit::GlobalShortcuts {

// Shows the shortcut as the action's key sequence; none clears it.
void setShortcut(QAction& action, const std::optional<Shortcut>& shortcut);
// Shows the name's stored shortcut and keeps following its changes (until the action is gone or this is called
// again); none clears the shortcut and stops following.
void setShortcut(QAction& action, const std::optional<Name>& name);
// Clears the action's shortcut and stops following a name: `setShortcut(action, std::nullopt)`.
void setShortcut(QAction& action, std::nullopt_t);
// Where an action keeps its observation of the stored shortcut it follows (none when it follows none).
ObjectAssociation<std::shared_ptr<platform::rx::AnyCancellable>>& shortcutObserverAssociation();

// The first action of the menu or of its submenus, depth first, whose key sequence is the shortcut. Actions that
// show a name's shortcut (the second setShortcut) are not counted.
QAction* menuItemWithShortcut(const QMenu& menu, const Shortcut& shortcut);

}  // namespace kit::GlobalShortcuts
