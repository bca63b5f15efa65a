#include "kit/ui/native_button.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QVBoxLayout>

#include "support/title_shown.h"

namespace kit {
namespace {

TEST(NativeButtonTest, KeyEquivalentsDestructiveTitlesAndSizes) {
  QWidget window;
  auto* layout = new QHBoxLayout(&window);
  int cancelled = 0;
  auto* done = new NativeButton({.title = "Done", .keyEquivalent = KeyEquivalent::return_});
  auto* cancel =
      new NativeButton({.title = "Cancel", .keyEquivalent = KeyEquivalent::escape, .action = [&] { ++cancelled; }});
  auto* remove = new NativeButton({.title = "Save & Delete", .hasDestructiveAction = true, .isResizable = true});
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
  // The title is shown as written: no Alt+Space presses the button.
  EXPECT_EQ(titleShown(*remove), "Save & Delete");
  EXPECT_FALSE(hasMnemonic(*remove));
  EXPECT_EQ(help->width(), help->height());
}

TEST(NativeButtonTest, ReturnAndEnterPressTheButtonWhereTheFocusedWidgetPassesTheKeyOn) {
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  int pressed = 0;
  auto* field = new QLineEdit;
  auto* editor = new QPlainTextEdit;
  layout->addWidget(field);
  layout->addWidget(editor);
  layout->addWidget(
      new NativeButton({.title = "Done", .keyEquivalent = KeyEquivalent::return_, .action = [&] { ++pressed; }}));
  // A window of its own that belongs to this one: its keys are not this window's.
  QWidget owned(&window, Qt::Window);
  auto* ownedField = new QLineEdit(&owned);
  window.show();
  owned.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  QTest::keyClick(field, Qt::Key_Return);
  EXPECT_EQ(pressed, 1);
  QTest::keyClick(field, Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(pressed, 2);

  QTest::keyClick(editor, Qt::Key_Return);
  EXPECT_EQ(pressed, 2) << "the editor keeps its Return";
  EXPECT_EQ(editor->toPlainText(), "\n");

  QTest::keyClick(ownedField, Qt::Key_Return);
  EXPECT_EQ(pressed, 2);
}

TEST(NativeButtonTest, ADestructiveTitleIsTheRedOfEachPaletteAtSeventyPercentOfItsSaturation) {
  const QPalette original = QApplication::palette();
  QPalette dark = original;
  dark.setColor(QPalette::Text, Qt::white);
  // The lighter red of dark palettes, (255, 105, 97), has a saturation of 158 / 255.
  EXPECT_NEAR(destructiveTitleColor(dark).hsvSaturationF(), 158.0 / 255 * 0.7, 0.005);

  QWidget window;
  auto* button = new NativeButton({.title = "Delete", .hasDestructiveAction = true}, &window);
  QPalette own = button->palette();
  own.setColor(QPalette::Button, Qt::yellow);  // a colour of the caller's
  button->setPalette(own);
  EXPECT_EQ(button->palette().color(QPalette::ButtonText), destructiveTitleColor(original));
  QApplication::setPalette(dark);
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(button->palette().color(QPalette::ButtonText), destructiveTitleColor(dark)) << "it follows the theme";
  QApplication::setPalette(original);
  QCoreApplication::sendPostedEvents();

  button->setDescription({.title = "Delete"});
  EXPECT_EQ(button->palette().color(QPalette::ButtonText), original.color(QPalette::ButtonText));
  EXPECT_EQ(button->palette().color(QPalette::Button), QColor(Qt::yellow));
}

TEST(NativeButtonTest, AStyledTitleIsPaintedWithItsOwnColoursAlsoWhenDestructive) {
  const QString styled = "<b>Erase</b> <span style='color:#0000ff'>everything</span>";
  NativeButton button({.title = "Erase", .attributedTitle = styled, .hasDestructiveAction = true});
  NativeButton plain({.title = "Erase everything"});
  button.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&button));

  EXPECT_EQ(button.accessibleName(), "Erase everything");
  EXPECT_TRUE(button.text().isEmpty());
  EXPECT_GE(button.sizeHint().width(), plain.sizeHint().width());
  const QImage shown = button.grab().toImage();
  int blue = 0, reddish = 0, ink = 0;
  for (int y = 0; y < shown.height(); ++y) {
    for (int x = 0; x < shown.width(); ++x) {
      const QColor pixel = shown.pixelColor(x, y);
      if (pixel.blue() > 200 && pixel.red() < 80 && pixel.green() < 80) ++blue;
      if (pixel.red() > pixel.green() + 60 && pixel.red() > pixel.blue() + 60) ++reddish;
      if (pixel.lightness() < 90) ++ink;
    }
  }
  EXPECT_GT(blue, 10) << "the span keeps its colour";
  EXPECT_GT(ink, 10) << "the rest takes the button's text colour";
  EXPECT_EQ(reddish, 0) << "no destructive re-colouring over a styled title";

  // Back to a plain destructive title: re-coloured again.
  button.setDescription({.title = "Erase", .hasDestructiveAction = true});
  EXPECT_EQ(button.text(), "Erase");
  const QColor title = button.palette().color(QPalette::ButtonText);
  EXPECT_GT(title.red(), title.green() + 40);
}

TEST(NativeButtonTest, AnActionMayDeleteItsButton) {
  std::string read;
  auto* remove = new NativeButton({.title = "Remove"});
  remove->setDescription({.title = "Remove", .action = [remove, &read, text = std::string("the row is gone now")] {
                            delete remove;
                            read = text;
                          }});
  remove->click();
  EXPECT_EQ(read, "the row is gone now");
}

TEST(NativeButtonTest, TheNameReadOutFollowsTheTitleShown) {
  auto readName = [](NativeButton& button) {
    return QAccessible::queryAccessibleInterface(&button)->text(QAccessible::Name);
  };
  NativeButton button({.title = "Erase", .attributedTitle = "<b>Erase</b> everything"});
  EXPECT_EQ(readName(button), "Erase everything");
  button.setDescription({.title = "Cancel"});
  EXPECT_EQ(readName(button), "Cancel");
  button.setDescription({.title = "Help", .bezelStyle = BezelStyle::help});
  EXPECT_EQ(readName(button), "Help");
  // Shown and read out as written: no keyboard mnemonic is made of the "&".
  button.setDescription({.title = "&Done"});
  EXPECT_EQ(readName(button), "&Done");
  EXPECT_FALSE(hasMnemonic(button));
}

}  // namespace
}  // namespace kit
