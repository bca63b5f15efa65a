#include "kit/shortcuts/menu_item_shortcut.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <memory>

#include "kit/shortcuts/storage.h"

namespace {

using kit::GlobalShortcuts::Name;
namespace gs = kit::GlobalShortcuts;

TEST(MenuItemShortcut, AnActionShowsAndFollowsTheStoredShortcut) {
  const Name name("menuItemShortcut");
  QAction action("Automatically Clear Formatting");
  gs::saveShortcut({122, 256}, name);
  gs::setShortcut(action, std::optional<Name>(name));
  EXPECT_EQ(action.shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F1));
  gs::saveShortcut({49, 2048 | 512}, name);
  EXPECT_EQ(action.shortcut(), QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_Space));

  gs::setShortcut(action, std::optional<Name>());
  EXPECT_TRUE(action.shortcut().isEmpty());
  EXPECT_EQ(gs::shortcutObserverAssociation().get(&action), nullptr);
  gs::saveShortcut({122, 256}, name);
  EXPECT_TRUE(action.shortcut().isEmpty()) << "no longer following";

  gs::setShortcut(action, std::optional<Name>(name));
  gs::setShortcut(action, std::nullopt);
  EXPECT_TRUE(action.shortcut().isEmpty());
  gs::saveShortcut({120, 256}, name);
  EXPECT_TRUE(action.shortcut().isEmpty()) << "a plain clear stops following too";
}

TEST(MenuItemShortcut, TheObservationLivesWithItsActionAndSuchAnActionIsNoConflict) {
  const Name name("menuItemShortcutLifetime");
  gs::saveShortcut({120, 256}, name);
  QMenu menu;
  auto* action = menu.addAction("Clear");
  gs::setShortcut(*action, std::optional<Name>(name));
  std::weak_ptr<platform::rx::AnyCancellable> observer = gs::shortcutObserverAssociation().get(action);
  ASSERT_FALSE(observer.expired());
  EXPECT_EQ(gs::menuItemWithShortcut(menu, {120, 256}), nullptr) << "it shows the very shortcut being checked";
  gs::setShortcut(*action, std::optional<Name>());
  EXPECT_TRUE(observer.expired());
  gs::setShortcut(*action, gs::Shortcut{120, 256});
  EXPECT_EQ(gs::menuItemWithShortcut(menu, {120, 256}), action) << "a key sequence of its own";

  gs::setShortcut(*action, std::optional<Name>(name));
  observer = gs::shortcutObserverAssociation().get(action);
  delete action;
  EXPECT_TRUE(observer.expired());
  gs::saveShortcut({122, 256}, name);  // reaches no action
}

}  // namespace
