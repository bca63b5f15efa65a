#include "kit/ui/native_button.h"

#include <gtest/gtest.h>

#include <QHBoxLayout>
#include <QTest>

namespace kit {
namespace {

TEST(NativeButtonTest, KeyEquivalentsDestructiveTitlesAndSizes) {
  QWidget window;
  auto* layout = new QHBoxLayout(&window);
  int cancelled = 0;
  auto* done = new NativeButton({.title = "Done", .keyEquivalent = KeyEquivalent::return_});
  auto* cancel =
      new NativeButton({.title = "Cancel", .keyEquivalent = KeyEquivalent::escape, .action = [&] { ++cancelled; }});
  auto* remove = new NativeButton({.title = "Delete", .hasDestructiveAction = true, .isResizable = true});
  auto* help = new NativeButton({.title = "Help", .bezelStyle = BezelStyle::help});
  for (NativeButton* button : {done, cancel, remove, help}) layout->addWidget(button);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  EXPECT_TRUE(done->isDefault());
  EXPECT_FALSE(cancel->isDefault());
  QTest::keyClick(&window, Qt::Key_Escape);
  EXPECT_EQ(cancelled, 1);
  const QColor title = remove->palette().color(QPalette::ButtonText);
  EXPECT_GT(title.red(), title.green() + 40);
  EXPECT_EQ(help->width(), help->height());
}

}  // namespace
}  // namespace kit
