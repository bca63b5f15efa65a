#include "kit/ui/native_text_field.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <QTextEdit>
#include <QVBoxLayout>

#include "support/filled_widget.h"

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
  QTest::keyClicks(field->editor(), "!");
  EXPECT_EQ(first.get(), "draft!");

  // A field reused for another value writes into that value from then on; the text is assigned every time.
  auto second = Binding<std::string>::stored("other");
  const QFont font = field->font();
  field->setDescription({.text = second});
  EXPECT_EQ(field->text(), "other");
  EXPECT_EQ(field->placeholderText(), "");  // none given: cleared
  EXPECT_EQ(field->font(), font);           // none given: kept
  QTest::keyClicks(field->editor(), "?");
  EXPECT_EQ(second.get(), "other?");
  EXPECT_EQ(first.get(), "draft!");

  // The value coming back as the user types leaves the caret where the next key goes.
  qobject_cast<QLineEdit*>(field->editor())->setCursorPosition(1);
  field->setDescription(field->description());
  QTest::keyClicks(field->editor(), "n");
  EXPECT_EQ(second.get(), "onther?");
}

TEST(NativeTextFieldTest, AWrappingFieldGrowsWithItsTextAndTheRoundedFrameStays) {
  auto note = Binding<std::string>::stored("short");
  QWidget window;
  window.setFixedWidth(160);
  auto* layout = new QVBoxLayout(&window);
  auto* wrapping = new NativeTextField({.text = note, .isSingleLine = false}, &window);
  auto* single =
      new NativeTextField({.text = Binding<std::string>::stored(std::string(80, 'x')), .roundedStyle = true}, &window);
  layout->addWidget(wrapping);
  layout->addWidget(single);
  layout->addStretch();
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_FALSE(wrapping->isSingleLine());
  EXPECT_TRUE(qobject_cast<QLineEdit*>(single->editor()));

  const int oneLine = wrapping->height();
  note.set("a text long enough to need three or four lines in a field this narrow");
  wrapping->setDescription(wrapping->description());
  EXPECT_TRUE(QTest::qWaitFor([&] { return wrapping->height() > 2 * oneLine - 10; }));
  EXPECT_EQ(single->height(), single->sizeHint().height()) << "a one-line field never wraps";

  // Typing, with a line break, writes the binding; assigning the text does not count as typing.
  auto* editor = qobject_cast<QTextEdit*>(wrapping->editor());
  ASSERT_TRUE(editor);
  editor->moveCursor(QTextCursor::End);
  QTest::keyClick(editor, Qt::Key_Return);
  QTest::keyClicks(editor, "end");
  EXPECT_EQ(note.get(), "a text long enough to need three or four lines in a field this narrow\nend");
  int writes = 0;
  wrapping->setDescription({.text = {note.get, [&](const std::string&) { ++writes; }}, .isSingleLine = true});
  EXPECT_EQ(writes, 0);
  EXPECT_FALSE(wrapping->isSingleLine()) << "chosen when it was made";

  const QString rounded = single->editor()->styleSheet();
  EXPECT_TRUE(rounded.contains("border-radius"));
  single->setDescription({.text = single->description().text});
  EXPECT_EQ(single->editor()->styleSheet(), rounded);
}

TEST(NativeTextFieldTest, AWrappingFieldHandsOverTheTextAsTypedAndKeepsItsCaretInsideIt) {
  // A no-break space and a line separator, which a plain-text export turns into a space and a line break.
  const std::string kept = "a\u00a0b\u2028c\nd";
  auto note = Binding<std::string>::stored(kept);
  NativeTextField field({.text = note, .isSingleLine = false});
  field.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&field));
  auto* editor = qobject_cast<QTextEdit*>(field.editor());
  ASSERT_TRUE(editor);
  EXPECT_EQ(field.text().toStdString(), kept);
  editor->moveCursor(QTextCursor::End);
  QTest::keyClicks(editor, "!");
  EXPECT_EQ(note.get(), kept + "!");

  // A shorter text from elsewhere: the caret comes back to its end; within it, the caret stays.
  note.set("ab");
  field.setDescription(field.description());
  EXPECT_EQ(editor->textCursor().position(), 2);
  QTextCursor caret = editor->textCursor();
  caret.setPosition(1);
  editor->setTextCursor(caret);
  note.set("xyz");
  field.setDescription(field.description());
  EXPECT_EQ(editor->textCursor().position(), 1);
}

TEST(SearchFieldTest, WithoutItsBackgroundWhatLiesUnderItShows) {
  QWidget red;
  fillWith(red, Qt::red);
  auto* filled = new SearchField({.text = Binding<std::string>::stored()}, &red);
  auto* clear = new SearchField({.text = Binding<std::string>::stored(), .drawsBackground = false}, &red);
  clear->move(0, 40);
  red.resize(200, 80);
  red.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&red));
  auto centre = [&red](QWidget* field) {
    return red.grab().toImage().pixelColor(field->geometry().center() + QPoint(field->width() / 4, 0));
  };
  EXPECT_NE(centre(filled), QColor(Qt::red));
  EXPECT_EQ(centre(clear), QColor(Qt::red));
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
