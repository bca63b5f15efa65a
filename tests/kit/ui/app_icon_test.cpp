#include "kit/ui/app_icon.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <QWindow>

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

// Start-up puts the icon off; a window already on screen by then takes it when it comes.
TEST(AppIcon, AWindowShownBeforeTheIconIsInstalledTakesItLater) {
  QApplication::setWindowIcon(QIcon());
  QWidget window;
  window.show();
  ASSERT_NE(window.windowHandle(), nullptr);
  ASSERT_TRUE(window.windowHandle()->icon().isNull());

  installApplicationIconLater();
  EXPECT_TRUE(QApplication::windowIcon().isNull()) << "nothing is looked up before the event loop turns";
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window.windowHandle()->icon().isNull(); }, 5000));
  EXPECT_EQ(window.windowHandle()->icon().cacheKey(), QApplication::windowIcon().cacheKey());
}

}  // namespace
}  // namespace kit
