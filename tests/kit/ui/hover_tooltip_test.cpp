#include "kit/ui/hover_tooltip.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEnterEvent>
#include <QLabel>
#include <QTest>
#include <QVBoxLayout>
#include <optional>

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

// When a popover first shows, counted from the last restart.
class FirstShow : public QObject {
 public:
  FirstShow() { qApp->installEventFilter(this); }
  void restart() {
    clock.start();
    at.reset();
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && qobject_cast<Popover*>(watched) && !at) at = clock.elapsed();
    return false;
  }
  QElapsedTimer clock;
  std::optional<qint64> at;
};

TEST_F(HoverTooltipTest, ARestJustShorterThanTheDelayNeverOpensIt) {
  FirstShow shown;
  for (int attempt = 0; attempt < 8; ++attempt) {
    shown.restart();
    hover(anchor, true);
    QTest::qWait(345);
    hover(anchor, false);
    QTest::qWait(400);
    // Only a wait that overran the delay may have opened it, and then not before the delay.
    if (shown.at) {
      EXPECT_GE(*shown.at, HoverTooltip::delay.count());
    }
  }
}

}  // namespace
}  // namespace kit
