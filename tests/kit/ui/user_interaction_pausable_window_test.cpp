#include "kit/ui/user_interaction_pausable_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTest>
#include <QToolBar>
#include <QVBoxLayout>
#include <vector>

namespace kit {
namespace {

class MoveRecorder : public QWidget {
 public:
  MoveRecorder() {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
  }
  int moves = 0;
  std::vector<int> keys;

 protected:
  void mouseMoveEvent(QMouseEvent*) override { ++moves; }
  void keyPressEvent(QKeyEvent* event) override { keys.push_back(event->key()); }
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

TEST(UserInteractionPausableWindow, PausedShortcutsAndInputMethodTextAreDroppedWhileModifiersGoOn) {
  UserInteractionPausableWindow window;
  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  auto* field = new QLineEdit;
  auto* keys = new MoveRecorder;
  layout->addWidget(field);
  layout->addWidget(keys);
  window.setCentralWidget(central);
  int reloads = 0, saves = 0;
  auto* reload = new QShortcut(QKeySequence(Qt::Key_F5), &window);
  QObject::connect(reload, &QShortcut::activated, [&] { ++reloads; });
  auto* save = new QAction("Save", &window);
  save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  window.addAction(save);
  QObject::connect(save, &QAction::triggered, [&] { ++saves; });
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  field->setFocus();

  window.setUserInteractionEnabled(false);
  QTest::keyClick(field, Qt::Key_F5);
  QTest::keyClick(field, Qt::Key_S, Qt::ControlModifier);
  QInputMethodEvent composed;
  composed.setCommitString("committed");
  QCoreApplication::sendEvent(field, &composed);
  keys->setFocus();
  QTest::keyClick(keys, Qt::Key_Shift);
  QTest::keyClick(keys, Qt::Key_A);
  EXPECT_EQ(reloads + saves, 0);
  EXPECT_EQ(field->text(), "");
  EXPECT_EQ(keys->keys, std::vector<int>{Qt::Key_Shift});

  window.setUserInteractionEnabled(true);
  QTest::keyClick(keys, Qt::Key_F5);
  QTest::keyClick(keys, Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(reloads, 1);
  EXPECT_EQ(saves, 1);
}

}  // namespace
}  // namespace kit
