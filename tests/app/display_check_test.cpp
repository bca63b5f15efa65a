#include "app/display_check.h"

#include <gtest/gtest.h>

namespace {

TEST(DisplayCheckTest, RunsOnlyOnAReachableX11DisplayAndSaysWhatWaylandCannotDo) {
  auto noDisplay = app::checkDisplay({"", "", "", false});
  EXPECT_FALSE(noDisplay.canRun);
  EXPECT_NE(noDisplay.message.find("needs an X11 display"), std::string::npos);
  EXPECT_NE(noDisplay.message.find("DISPLAY is not set"), std::string::npos);
  EXPECT_EQ(noDisplay.message.find("Wayland"), std::string::npos);

  auto waylandOnly = app::checkDisplay({"", "wayland-0", "wayland", false});
  EXPECT_FALSE(waylandOnly.canRun);
  EXPECT_NE(waylandOnly.message.find("Under Wayland"), std::string::npos);

  auto unreachable = app::checkDisplay({":42", "", "x11", false});
  EXPECT_FALSE(unreachable.canRun);
  EXPECT_NE(unreachable.message.find("DISPLAY=:42"), std::string::npos);

  auto xwayland = app::checkDisplay({":0", "wayland-0", "wayland", true});
  EXPECT_TRUE(xwayland.canRun);
  EXPECT_NE(xwayland.message.find("only what X11 (XWayland) applications copy"), std::string::npos);

  EXPECT_EQ(app::checkDisplay({":0", "", "x11", true}).message, "");
}

}  // namespace
