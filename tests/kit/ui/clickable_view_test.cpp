#include "kit/ui/clickable_view.h"

#include <gtest/gtest.h>

#include <QTest>
#include <memory>

namespace kit {
namespace {

struct Recorded {
  std::vector<bool> presses;
  std::function<void(bool)> closure() {
    return [this](bool pressed) { presses.push_back(pressed); };
  }
};

void pressAndMove(QWidget* view) {
  QTest::mousePress(view, Qt::LeftButton, {}, {5, 5});
  QMouseEvent move(QEvent::MouseMove, QPointF(30, 5), view->mapToGlobal(QPointF(30, 5)), Qt::NoButton, Qt::LeftButton,
                   {});
  QCoreApplication::sendEvent(view, &move);
}

void drag(QWidget* view) {
  pressAndMove(view);
  QTest::mouseRelease(view, Qt::LeftButton, {}, {30, 5});
}

TEST(ClickableView, ReportsPressAndReleaseAndADragOnlyWhenPlain) {
  Recorded plain;
  std::unique_ptr<ClickableView> view(ClickableViewRepresentable{plain.closure(), false, {0, 0, 50, 50}}.makeView());
  QTest::mouseClick(view.get(), Qt::LeftButton);
  drag(view.get());
  EXPECT_EQ(plain.presses, (std::vector<bool>{true, false, true, false}));

  Recorded dragging;
  std::unique_ptr<ClickableView> draggable(
      ClickableViewRepresentable{dragging.closure(), true, {0, 0, 50, 50}}.makeView());
  drag(draggable.get());
  EXPECT_EQ(dragging.presses, std::vector<bool>{true}) << "the release ending a drag is not reported";
  QTest::mouseClick(draggable.get(), Qt::LeftButton);
  EXPECT_EQ(dragging.presses, (std::vector<bool>{true, true, false}));
}

// What the closure of the re-entrant case finds after handing its view another closure: its own captures.
std::weak_ptr<int> replacedClosuresCapture;
bool capturesOutlivedTheReplacement = false;

TEST(ClickableView, AnUpdateHandsOverTheClosureOnly) {
  Recorded first, second;
  std::unique_ptr<ClickableView> view(ClickableViewRepresentable{first.closure(), true, {0, 0, 50, 50}}.makeView());
  ClickableViewRepresentable{second.closure(), false, {0, 0, 10, 10}}.updateView(*view);
  drag(view.get());
  EXPECT_TRUE(first.presses.empty());
  EXPECT_EQ(second.presses, std::vector<bool>{true}) << "still the dragging kind";
  EXPECT_EQ(view->geometry(), QRect(0, 0, 50, 50));

  ClickableViewRepresentable{nullptr, false, {}}.updateView(*view);
  pressAndMove(view.get());
  auto& dragged = static_cast<ClickableDraggableView&>(*view).dragged;
  EXPECT_EQ(dragged, true);
  QTest::mouseRelease(view.get(), Qt::LeftButton, {}, {30, 5});
  EXPECT_EQ(dragged, false) << "cleared even with nobody to tell";

  // A closure that hands its view a new one keeps what it holds until it returns.
  auto capture = std::make_shared<int>(0);
  replacedClosuresCapture = capture;
  ClickableView* raw = view.get();
  ClickableViewRepresentable{[capture, raw](bool) {
                               ClickableViewRepresentable{[](bool) {}, false, {}}.updateView(*raw);
                               capturesOutlivedTheReplacement = !replacedClosuresCapture.expired();
                             },
                             false,
                             {}}
      .updateView(*view);
  capture.reset();
  QTest::mouseClick(view.get(), Qt::LeftButton);
  EXPECT_TRUE(capturesOutlivedTheReplacement);
}

// Counts the mouse presses and releases that reach it.
struct Parent : QWidget {
  int presses = 0, releases = 0;
  void mousePressEvent(QMouseEvent*) override { ++presses; }
  void mouseReleaseEvent(QMouseEvent*) override { ++releases; }
};

TEST(ClickableView, OnlyThePrimaryButtonIsReportedTheOthersGoOnToTheParent) {
  for (bool draggable : {false, true}) {
    Parent parent;
    parent.resize(100, 100);
    Recorded recorded;
    ClickableView* view = ClickableViewRepresentable{recorded.closure(), draggable, {0, 0, 50, 50}}.makeView(&parent);
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));

    QTest::mouseClick(view, Qt::RightButton, {}, {5, 5});
    QTest::mouseClick(view, Qt::MiddleButton, {}, {5, 5});
    EXPECT_TRUE(recorded.presses.empty());
    EXPECT_EQ(parent.presses, 2);
    EXPECT_EQ(parent.releases, 2);

    // A drag with another button is no drag: the next click is reported whole.
    QTest::mousePress(view, Qt::RightButton, {}, {5, 5});
    QMouseEvent move(QEvent::MouseMove, QPointF(30, 5), view->mapToGlobal(QPointF(30, 5)), Qt::NoButton,
                     Qt::RightButton, {});
    QCoreApplication::sendEvent(view, &move);
    QTest::mouseRelease(view, Qt::RightButton, {}, {30, 5});
    QTest::mouseClick(view, Qt::LeftButton, {}, {5, 5});
    EXPECT_EQ(recorded.presses, (std::vector<bool>{true, false})) << (draggable ? "draggable" : "plain");
    EXPECT_EQ(parent.presses, 3);
  }
}

}  // namespace
}  // namespace kit
