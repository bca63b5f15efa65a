#include "kit/ui/hosting_window.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPointer>
#include <QTest>
#include <vector>

namespace kit {
namespace {

bool waitUntil(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, 3000); }

TEST(HostingWindow, FramesStayWithinTheAvailableAreaOfTheirScreen) {
  // A screen of 1000 × 800 whose available area starts right of a 100-pixel panel and below a 20-pixel bar.
  const QRect area(100, 20, 1000, 800);
  struct Case {
    QRect proposed, expected;
  };
  const std::vector<Case> cases{
      {{300, 200, 400, 300}, {300, 200, 400, 300}},    // inside: unchanged
      {{300, 200, 1200, 300}, {100, 200, 1000, 300}},  // too wide: the area's width, at its left edge
      {{300, 200, 400, 900}, {300, 20, 400, 800}},     // too tall: the area's height, at its top
      {{900, 200, 400, 300}, {700, 200, 400, 300}},    // off the right edge: moved back
      {{300, -50, 400, 300}, {300, 20, 400, 300}},     // above the top: moved down
      {{50, 200, 400, 300}, {100, 200, 400, 300}},     // left of the area (over the panel): moved right
      {{300, 540, 400, 300}, {300, 540, 400, 300}},    // hanging 20 pixels below the bottom may stay
      {{300, 551, 400, 300}, {300, 520, 400, 300}},    // 31 pixels below: moved up onto the area
  };
  for (const auto& c : cases) EXPECT_EQ(constrainedFrame(c.proposed, area), c.expected) << c.proposed.x();
}

TEST(HostingWindow, EscapeFocusAndContentFollowTheOptions) {
  auto* content = new QLabel("content");
  QPointer<QLabel> held(content);
  auto* window = new HostingWindow(content, {.constrainWindowToScreen = false, .canBecomeKey = true});
  QPointer<HostingWindow> windowHeld(window);
  window->show();
  QTest::keyClick(window, Qt::Key_Escape);
  EXPECT_TRUE(window->isVisible()) << "Escape closes only when asked";
  testing::internal::CaptureStdout();
  window->close();
  EXPECT_TRUE(waitUntil([&] { return held.isNull() && windowHeld.isNull(); }))
      << "a closed window deletes itself and its content, without its caller's help";
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "HostingWindow - DEINIT\n");

  QPointer<HostingWindow> closesOnEscape = new HostingWindow(new QLabel("x"), {.closeOnEsc = true});
  closesOnEscape->show();
  QTest::keyClick(closesOnEscape, Qt::Key_Escape);
  EXPECT_TRUE(closesOnEscape.isNull() || !closesOnEscape->isVisible());
  EXPECT_TRUE(waitUntil([&] { return closesOnEscape.isNull(); }));
}

TEST(HostingWindow, KeepsItsWholeFrameWithinTheScreen) {
  QPointer<HostingWindow> window = new HostingWindow(new QLabel("content"), {.constrainWindowToScreen = true});
  window->show();
  ASSERT_TRUE(waitUntil([&] { return window->isVisible(); }));
  const QRect area = window->screen()->availableGeometry();
  const QMargins frame(window->geometry().left() - window->frameGeometry().left(),
                       window->geometry().top() - window->frameGeometry().top(),
                       window->frameGeometry().right() - window->geometry().right(),
                       window->frameGeometry().bottom() - window->geometry().bottom());
  ASSERT_FALSE(frame.isNull()) << "this platform draws no frame around a window";

  // The client area alone would fit in the top-left corner; its frame would not.
  window->setGeometry(QRect(area.topLeft(), QSize(200, 150)));
  EXPECT_TRUE(area.contains(window->frameGeometry()))
      << "frame at " << window->frameGeometry().x() << "," << window->frameGeometry().y();
  EXPECT_EQ(window->size(), QSize(200, 150)) << "moved, not shrunk";
  // As wide as the area: the frame is made to fit, the client area within it.
  window->setGeometry(QRect(area.left() + 50, area.top() + 50, area.width(), 150));
  EXPECT_EQ(window->frameGeometry().width(), area.width());
  EXPECT_EQ(window->frameGeometry().left(), area.left());
  window->close();
}

}  // namespace
}  // namespace kit
