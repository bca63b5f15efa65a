#include "kit/ui/hover_tooltip.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEnterEvent>
#include <QLabel>
#include <QTest>
#include <QVBoxLayout>

#include "kit/ui/popover.h"

namespace kit {
namespace {

class HoverTooltipTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto* layout = new QVBoxLayout(&window);
    anchor = new QLabel("Anchor");
    layout->addWidget(anchor);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    tooltip = new HoverTooltip(*anchor, [] { return new QLabel("Explanation"); });
  }
  static void hover(QWidget* widget, bool inside) {
    if (inside) {
      QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
      QApplication::sendEvent(widget, &enter);
    } else {
      QEvent leave(QEvent::Leave);
      QApplication::sendEvent(widget, &leave);
    }
  }

  QWidget window;
  QLabel* anchor = nullptr;
  HoverTooltip* tooltip = nullptr;
};

TEST_F(HoverTooltipTest, OpensAfterARestAndStaysWhileThePointerIsOnIt) {
  hover(anchor, true);
  hover(anchor, false);
  QTest::qWait(500);
  EXPECT_FALSE(tooltip->isPresented());  // a passing pointer opens nothing

  hover(anchor, true);
  QTest::qWait(150);
  EXPECT_FALSE(tooltip->isPresented());
  ASSERT_TRUE(QTest::qWaitFor([&] { return tooltip->isPresented(); }, 1000));

  // Onto the popover: it stays past the delay, then goes at once when the pointer leaves it.
  hover(anchor, false);
  hover(tooltip->popover(), true);
  QTest::qWait(500);
  ASSERT_TRUE(tooltip->isPresented());
  hover(tooltip->popover(), false);
  EXPECT_FALSE(tooltip->isPresented());

  // Leaving the widget for good closes it after the delay; a deactivated window closes it on the next turn.
  hover(anchor, true);
  ASSERT_TRUE(QTest::qWaitFor([&] { return tooltip->isPresented(); }, 1000));
  hover(anchor, false);
  EXPECT_TRUE(tooltip->isPresented());
  EXPECT_TRUE(QTest::qWaitFor([&] { return !tooltip->isPresented(); }, 1000));
  hover(anchor, true);
  ASSERT_TRUE(QTest::qWaitFor([&] { return tooltip->isPresented(); }, 1000));
  QEvent deactivate(QEvent::WindowDeactivate);
  QApplication::sendEvent(&window, &deactivate);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !tooltip->isPresented(); }, 200));
}

TEST_F(HoverTooltipTest, ARestJustShorterThanTheDelayNeverOpensIt) {
  for (int attempt = 0; attempt < 8; ++attempt) {
    QElapsedTimer rest;
    rest.start();
    hover(anchor, true);
    while (rest.elapsed() < 345) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
      const bool opened = tooltip->isPresented();
      const qint64 after = rest.elapsed();  // a busy machine may overrun the delay: then it may open
      ASSERT_FALSE(opened && after < HoverTooltip::delay.count()) << "opened within " << after << " ms";
    }
    hover(anchor, false);
    QTest::qWait(400);
  }
}

}  // namespace
}  // namespace kit
