#include "kit/ui/status_item_visibility.h"

#include <gtest/gtest.h>

#include <string>

namespace kit {
namespace {

TEST(StatusItemVisibilityTest, HiddenOnlyWhenShownButNotPlacedByTheDesktop) {
  const std::string us = ":1.42";
  const StatusNotifierWatcherState listed{true, {":1.7/StatusNotifierItem", ":1.42/StatusNotifierItem"}};
  EXPECT_FALSE(isHiddenFromMenuBar(false, false, std::nullopt, us, false));  // we hid it ourselves
  EXPECT_TRUE(isHiddenFromMenuBar(true, false, std::nullopt, us, false));    // no tray at all
  EXPECT_FALSE(isHiddenFromMenuBar(true, true, listed, us, false));          // status-notifier items have no geometry
  EXPECT_FALSE(isHiddenFromMenuBar(true, true, StatusNotifierWatcherState{true, {us}}, us, false));
  EXPECT_TRUE(isHiddenFromMenuBar(true, true, StatusNotifierWatcherState{false, {us}}, us, false));
  EXPECT_TRUE(isHiddenFromMenuBar(true, true, StatusNotifierWatcherState{true, {":1.420"}}, us, false));
  EXPECT_FALSE(isHiddenFromMenuBar(true, true, std::nullopt, us, true));  // embedded with a place
  EXPECT_TRUE(isHiddenFromMenuBar(true, true, std::nullopt, us, false));  // embedded without one
}

}  // namespace
}  // namespace kit
