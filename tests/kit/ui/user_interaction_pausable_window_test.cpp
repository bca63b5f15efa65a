#include "kit/ui/user_interaction_pausable_window.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QVBoxLayout>

namespace kit {
namespace {

class MoveRecorder : public QWidget {
 public:
  MoveRecorder() { setMouseTracking(true); }
  int moves = 0;

 protected:
  void mouseMoveEvent(QMouseEvent*) override { ++moves; }
};

TEST(UserInteractionPausableWindow, PausedInputIsDroppedWhileHoveringGoesOn) {
  UserInteractionPausableWindow window;
  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  auto* button = new QPushButton("Press");
  auto* field = new QLineEdit;
  auto* hover = new MoveRecorder;
  hover->setMinimumSize(100, 50);
  layout->addWidget(button);
  layout->addWidget(field);
  layout->addWidget(hover);
  window.setCentralWidget(central);
  window.addToolBar("Tools");
  int presses = 0;
  QObject::connect(button, &QPushButton::clicked, [&] { ++presses; });
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  field->setFocus();

  window.setUserInteractionEnabled(false);
  QTest::mouseClick(button, Qt::LeftButton);
  QTest::keyClicks(field, "lost");
  QTest::mouseMove(hover, {10, 10});
  QTest::mouseMove(hover, {20, 20});
  EXPECT_EQ(presses, 0);
  EXPECT_EQ(field->text(), "");
  EXPECT_GT(hover->moves, 0);

  window.setUserInteractionEnabled(true);
  QCoreApplication::processEvents();
  EXPECT_EQ(field->text(), "") << "nothing typed while paused comes later";
  QTest::keyClicks(field, "kept");
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(field->text(), "kept");
  EXPECT_EQ(presses, 1);
  EXPECT_EQ(window.createPopupMenu(), nullptr) << "no toolbar toggle menu";
}

}  // namespace
}  // namespace kit
