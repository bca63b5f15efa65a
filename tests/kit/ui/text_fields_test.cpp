#include "kit/ui/text_fields.h"

#include <gtest/gtest.h>

#include <QPropertyAnimation>
#include <QShortcut>
#include <QTest>
#include <QVBoxLayout>
#include <limits>
#include <vector>

#include "kit/ui/window_presentation.h"

namespace kit {
namespace {

class IntTextFieldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setPrefersReducedMotionForTesting(false);
    field.show();
    field.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&field));
    field.onValueChange = [this](int64_t value) { reported.push_back(value); };
  }
  void TearDown() override { setPrefersReducedMotionForTesting(std::nullopt); }

  QString stepped(const QString& from, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    field.setText(from);
    QTest::keyClick(&field, key, modifiers);
    return field.text();
  }
  bool isShaking() const { return field.findChild<QPropertyAnimation*>() != nullptr; }

  IntTextField field;
  std::vector<int64_t> reported;
};

TEST_F(IntTextFieldTest, ArrowKeysStepByDeltaOrAlternativeDelta) {
  EXPECT_EQ(stepped("5", Qt::Key_Up), "6");
  EXPECT_EQ(stepped("5", Qt::Key_Up, Qt::AltModifier), "15");
  EXPECT_EQ(stepped("5", Qt::Key_Up, Qt::AltModifier | Qt::ShiftModifier), "6") << "only Alt alone";
  EXPECT_EQ(stepped("0", Qt::Key_Down), "-1");
  EXPECT_EQ(stepped("", Qt::Key_Up), "1");
  EXPECT_EQ(stepped("12 apples", Qt::Key_Up), "1") << "the whole text is no number";
  EXPECT_EQ(stepped("9223372036854775807", Qt::Key_Up), "9223372036854775807");
  EXPECT_EQ(stepped("-9223372036854775808", Qt::Key_Down, Qt::AltModifier), "-9223372036854775808");
  EXPECT_EQ(reported, (std::vector<int64_t>{6, 15, 6, -1, 1, 1, std::numeric_limits<int64_t>::max(),
                                            std::numeric_limits<int64_t>::min()}));
  EXPECT_FALSE(isShaking()) << "no range, nothing is out of it";
}

TEST_F(IntTextFieldTest, TypedTextIsReadAsTheNumberItStartsWith) {
  QTest::keyClicks(&field, " 12 apples");
  EXPECT_EQ(reported.back(), 12);
  field.clear();
  QTest::keyClicks(&field, "+");
  EXPECT_EQ(reported.back(), 0);
  QTest::keyClicks(&field, "99999999999999999999");
  EXPECT_EQ(reported.back(), std::numeric_limits<int64_t>::max()) << "held at the end it passes";
  field.clear();
  QTest::keyClicks(&field, "-99999999999999999999");
  EXPECT_EQ(reported.back(), std::numeric_limits<int64_t>::min());
}

TEST_F(IntTextFieldTest, TypingOutsideTheRangeShakesUnlessMoreDigitsCouldFit) {
  field.minMax = {{10, 20}};
  int64_t blurred = -1;
  field.onBlur = [&](int64_t value) { blurred = value; };
  QTest::keyClicks(&field, "1");
  EXPECT_TRUE(reported.empty());
  EXPECT_FALSE(isShaking());
  QTest::keyClicks(&field, "5");
  EXPECT_EQ(reported, std::vector<int64_t>{15});
  EXPECT_FALSE(isShaking());

  field.clear();
  reported.clear();
  QTest::keyClicks(&field, "25");
  EXPECT_EQ(reported, std::vector<int64_t>{25});
  EXPECT_TRUE(isShaking());
  QTest::keyClick(&field, Qt::Key_Return);
  EXPECT_EQ(blurred, 25);
}

TEST(IntTextFieldFocus, TheArrowsAreTheFieldsBeforeTheWindowsAndEachEndOfEditingIsReported) {
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  auto* field = new IntTextField(&window);
  auto* other = new QLineEdit(&window);
  layout->addWidget(field);
  layout->addWidget(other);
  int shortcuts = 0;
  for (const QKeySequence& keys : {QKeySequence(Qt::Key_Up), QKeySequence(Qt::ALT | Qt::Key_Down)})
    QObject::connect(new QShortcut(keys, &window), &QShortcut::activated, [&shortcuts] { ++shortcuts; });
  std::vector<int64_t> blurred;
  field->onBlur = [&blurred](int64_t value) { blurred.push_back(value); };
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

  field->setFocus();
  QTest::keyClick(field, Qt::Key_Up);
  QTest::keyClick(field, Qt::Key_Down, Qt::AltModifier);
  EXPECT_EQ(field->text(), "-9");
  EXPECT_EQ(shortcuts, 0);
  other->setFocus();
  field->setFocus();
  other->setFocus();  // the text did not change this time
  EXPECT_EQ(blurred, (std::vector<int64_t>{-9, -9}));
}

TEST(FocusTextFields, TakeTheFocusAndSelectTheirText) {
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  auto* first = new QLineEdit(&window);
  auto* selecting = new AutoselectOnFocusTextField(&window);
  selecting->setText("select me");
  layout->addWidget(first);
  layout->addWidget(selecting);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  first->setFocus();

  QTest::mouseClick(selecting, Qt::LeftButton, {}, {5, 5});
  EXPECT_TRUE(QTest::qWaitFor([&] { return selecting->selectedText() == "select me"; }));

  auto* autofocused = new AutofocusedTextField;
  layout->addWidget(autofocused);
  autofocused->show();
  EXPECT_TRUE(QTest::qWaitFor([&] { return autofocused->hasFocus(); }));
}

}  // namespace
}  // namespace kit
