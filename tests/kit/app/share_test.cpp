#include "kit/app/share.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QTest>

#include "doubles/memory_pasteboard.h"
#include "kit/ui/copy_button.h"
#include "kit/ui/session_restoration.h"
#include "kit_widgets_test_support.h"

namespace kit {
namespace {

using ShareTest = KitWidgetsTest;

TEST_F(ShareTest, ShareWindowCopiesMailsAndShowsTheLink) {
  EXPECT_EQ(emailLinkUrl(shareLink()).absoluteString(), "mailto:?body=https%3A%2F%2Fkestrova.com%2Fquillet");

  platform::MemoryPasteboard pasteboard;
  ShareAppScreen* first = ShareAppScreen::showWindow(pasteboard);
  ShareAppScreen* second = ShareAppScreen::showWindow(pasteboard);
  EXPECT_NE(first->window(), second->window());
  EXPECT_TRUE(QTest::qWaitFor([&] { return first->isVisible() && second->isVisible(); }));

  QTest::keyClick(first, Qt::Key_Escape);
  EXPECT_TRUE(first->isVisible());
  // It floats, and can be neither minimised, resized nor brought back with the session.
  const Qt::WindowFlags flags = first->window()->windowFlags();
  EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
  EXPECT_FALSE(isWindowRestorable(*first->window()));

  EXPECT_TRUE(first->copyButton()->icon().isNull()) << "the window's labels are titles alone";
  first->copyButton()->setPalette(QPalette(Qt::darkBlue));
  EXPECT_TRUE(first->copyButton()->icon().isNull());
  first->copyButton()->click();
  EXPECT_EQ(pasteboard.string(platform::PasteboardType::string), "https://kestrova.com/quillet");
  EXPECT_EQ(pasteboard.string("org.nspasteboard.source"), "com.kestrova.Quillet");
  EXPECT_TRUE(first->copyButton()->isShowingSuccess());
  QPointer<ShareAppScreen> content(first);
  first->window()->close();
  second->window()->close();
  EXPECT_TRUE(QTest::qWaitFor([&] { return content.isNull(); }));  // the closed window lets go of its content
}

TEST_F(ShareTest, TheMenuActionReturnsAtOnceAndEachChoiceOpensAWindowOfItsOwn) {
  const auto shareWindows = [] {
    int count = 0;
    for (QWidget* window : QApplication::topLevelWidgets())
      if (window->isVisible() && window->findChild<ShareAppScreen*>()) ++count;
    return count;
  };
  const int before = shareWindows();
  shareAppMenuItemAction();
  shareAppMenuItemAction();
  EXPECT_EQ(shareWindows(), before) << "the menu closes before the window opens";
  EXPECT_TRUE(QTest::qWaitFor([&] { return shareWindows() == before + 2; }));
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window->findChild<ShareAppScreen*>()) window->close();
}

}  // namespace
}  // namespace kit
