#include "kit/ui/native_text_field.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QVBoxLayout>

namespace kit {
namespace {

TEST(NativeTextFieldTest, TypingWritesTheCurrentBindingAndUpdatesAlwaysShowIt) {
  auto first = Binding<std::string>::stored("draft");
  QWidget window;
  auto* other = new QLineEdit(&window);
  auto* field = new NativeTextField({.text = first, .placeholder = "Name", .isFirstResponder = true}, &window);
  new QVBoxLayout(&window);
  window.layout()->addWidget(other);
  window.layout()->addWidget(field);
  other->setFocus();
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  // It takes the focus once it is in a shown window, and only once.
  EXPECT_TRUE(QTest::qWaitFor([&] { return field->hasFocus(); }));
  other->setFocus();
  field->setDescription(field->description());
  QTest::qWait(10);
  EXPECT_TRUE(other->hasFocus());

  EXPECT_EQ(field->text(), "draft");
  QTest::keyClicks(field, "!");
  EXPECT_EQ(first.get(), "draft!");

  // A field reused for another value writes into that value from then on; the text is assigned every time.
  auto second = Binding<std::string>::stored("other");
  const QFont font = field->font();
  field->setDescription({.text = second});
  EXPECT_EQ(field->text(), "other");
  EXPECT_EQ(field->placeholderText(), "");  // none given: cleared
  EXPECT_EQ(field->font(), font);           // none given: kept
  QTest::keyClicks(field, "?");
  EXPECT_EQ(second.get(), "other?");
  EXPECT_EQ(first.get(), "draft!");
}

TEST(SearchFieldTest, KeepsTheCaretWhenTheBindingAgreesAndTakesFocusInEachNewWindow) {
  auto query = Binding<std::string>::stored();
  QWidget first, second;
  new QLineEdit(&first);
  auto* search = new SearchField({.text = query, .placeholder = "Search", .fontSize = 9}, &first);
  first.show();
  EXPECT_TRUE(QTest::qWaitFor([&] { return search->hasFocus(); }));

  QTest::keyClicks(search, "abc");
  EXPECT_EQ(query.get(), "abc");
  search->setCursorPosition(1);
  search->setDescription(search->description());
  EXPECT_EQ(search->cursorPosition(), 1);  // the same text: not assigned again
  query.set("xyz");
  search->setDescription(search->description());
  EXPECT_EQ(search->text(), "xyz");

  second.show();
  search->setParent(&second);
  search->show();
  EXPECT_TRUE(QTest::qWaitFor([&] { return search->hasFocus(); }));
}

}  // namespace
}  // namespace kit
