#include "kit/shortcuts/menu_item_shortcut.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QKeySequence>
#include <QMenu>

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
  gs::saveShortcut({122, 256}, name);
  EXPECT_TRUE(action.shortcut().isEmpty()) << "no longer following";
}

}  // namespace
