#include "app/status_item.h"

#include <gtest/gtest.h>

#include "platform/system/modifier_flags.h"

namespace app {
namespace {

namespace Flag = platform::ModifierFlag;

TEST(StatusItemClickTest, RightReleaseOrSuperClickToggleAndAPlainClickOpensTheMenu) {
  using enum StatusItemClickResult;
  const auto primary = StatusItemClick::primaryButton;
  EXPECT_EQ(routeStatusItemClick(StatusItemClick::secondaryButtonUp, 0), primaryAction);
  EXPECT_EQ(routeStatusItemClick(StatusItemClick::secondaryButtonUp, Flag::shift), primaryAction);
  EXPECT_EQ(routeStatusItemClick(StatusItemClick::secondaryButtonDown, 0), nothing);
  EXPECT_EQ(routeStatusItemClick(StatusItemClick::secondaryButtonDown, Flag::control), nothing);
  EXPECT_EQ(routeStatusItemClick(primary, 0), showMenu);
  EXPECT_EQ(routeStatusItemClick(primary, Flag::option), showMenu);
  EXPECT_EQ(routeStatusItemClick(primary, Flag::command | Flag::shift), showMenu);
  EXPECT_EQ(routeStatusItemClick(primary, Flag::capsLock), showMenu);
  EXPECT_EQ(routeStatusItemClick(primary, Flag::control), primaryAction);
  EXPECT_EQ(routeStatusItemClick(primary, Flag::control | Flag::capsLock | Flag::function), primaryAction);
  EXPECT_EQ(routeStatusItemClick(primary, Flag::control | Flag::option), nothing);
  EXPECT_EQ(routeStatusItemClick(StatusItemClick::other, 0), nothing);
}

}  // namespace
}  // namespace app
