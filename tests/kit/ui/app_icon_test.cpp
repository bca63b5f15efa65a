#include "kit/ui/app_icon.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>

namespace kit {
namespace {

TEST(AppIcon, EveryWindowShowsTheApplicationIcon) {
  const QIcon icon = appIcon();
  ASSERT_FALSE(icon.pixmap(32, 32).isNull());
  EXPECT_GT(icon.pixmap(32, 32).toImage().pixelColor(16, 16).alpha(), 0) << "the carried icon, not a blank";

  installApplicationIcon();
  QWidget window;
  EXPECT_EQ(window.windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
  EXPECT_FALSE(window.windowIcon().isNull());
}

}  // namespace
}  // namespace kit
