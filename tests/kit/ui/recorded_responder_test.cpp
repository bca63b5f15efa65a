#include "kit/ui/recorded_responder.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

namespace kit {
namespace {

TEST(RecordedResponderTest, GivesTheFocusBackWhileTheRecordedWidgetLives) {
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  auto* first = new QLineEdit(&window);
  auto* second = new QLineEdit(&window);
  layout->addWidget(first);
  layout->addWidget(second);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  window.activateWindow();

  second->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return second->hasFocus(); }));
  recordFocusedWidget();
  first->setFocus();
  EXPECT_TRUE(giveFocusToRecordedWidget());
  EXPECT_TRUE(QTest::qWaitFor([&] { return second->hasFocus(); }));

  recordWidget(*first);  // a widget asked directly, without the focus
  EXPECT_EQ(recordedWidget(), first);
  recordWidget(*second);

  delete second;  // recorded weakly: nothing is kept alive, and nothing is focused
  EXPECT_EQ(recordedWidget(), nullptr);
  EXPECT_FALSE(giveFocusToRecordedWidget());
}

}  // namespace
}  // namespace kit
