#include "kit/ui/labels.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTextDocument>

#include "support/title_shown.h"

namespace kit {
namespace {

TEST(CocoaLabel, DisabledTextTakesTheSecondaryColourOfEachPaletteTheApplicationSwitchesTo) {
  const QPalette original = QApplication::palette();
  QWidget window;
  auto* label = new CocoaLabel("Name", &window);
  const QColor primary = window.palette().color(QPalette::Active, QPalette::WindowText);
  const QColor secondary = window.palette().color(QPalette::Active, QPalette::PlaceholderText);
  ASSERT_NE(primary, secondary);
  label->setEnabled(false);
  EXPECT_EQ(label->palette().color(QPalette::Disabled, QPalette::WindowText), secondary);
  label->setEnabled(true);
  EXPECT_EQ(label->palette().color(QPalette::Active, QPalette::WindowText), primary);

  QPalette dark = original;
  dark.setColor(QPalette::WindowText, Qt::white);
  dark.setColor(QPalette::PlaceholderText, QColor(150, 150, 150));
  QApplication::setPalette(dark);
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(label->palette().color(QPalette::Active, QPalette::WindowText), QColor(Qt::white));
  EXPECT_EQ(label->palette().color(QPalette::Disabled, QPalette::WindowText), QColor(150, 150, 150));
  QApplication::setPalette(original);
  QCoreApplication::sendPostedEvents();
}

TEST(CocoaLabel, IsFittedToItsTextWhenItIsMadeWithItsParent) {
  QWidget window;
  auto* label = new CocoaLabel("A label made with its parent shows the whole of this text", &window);
  EXPECT_EQ(label->size(), label->sizeHint());
}

TEST(CocoaLabel, TheTextIsShownAsWrittenNeverAsMarkup) {
  CocoaLabel label("<b>Fish</b> & Chips");
  EXPECT_EQ(titleShown(label), "<b>Fish</b> & Chips");
}

TEST(ExpansionTextField, ATextCutShortIsTheTooltip) {
  ExpansionTextField field("A rather long file name.txt");
  field.resize(field.sizeHint());
  field.show();
  EXPECT_TRUE(field.toolTip().isEmpty());

  field.resize(field.sizeHint().width() / 2, field.height());
  EXPECT_EQ(field.toolTip(), "A rather long file name.txt");
  EXPECT_EQ(field.text(), "A rather long file name.txt") << "the text read is the whole one";

  // A new text is the one cut and shown after a resize, never the one before it.
  field.setText("Another long name of a file.txt");
  field.resize(field.width() - 1, field.height());
  EXPECT_EQ(field.text(), "Another long name of a file.txt");
  EXPECT_EQ(field.toolTip(), "Another long name of a file.txt");

  // A text that looks like markup is shown as written, in the field and in its tooltip.
  field.setText("<b>notes</b>  draft.txt");
  field.resize(field.sizeHint());
  EXPECT_EQ(titleShown(field), "<b>notes</b>  draft.txt");
  field.resize(field.sizeHint().width() / 2, field.height());
  QTextDocument tooltip;
  tooltip.setHtml(field.toolTip());
  EXPECT_EQ(tooltip.toPlainText(), "<b>notes</b>  draft.txt");

  // A larger font cuts a text that fitted: the tooltip follows.
  field.setText("short.txt");
  field.resize(field.sizeHint());
  ASSERT_TRUE(field.toolTip().isEmpty());
  QFont larger = field.font();
  larger.setPointSizeF(larger.pointSizeF() * 2);
  field.setFont(larger);
  EXPECT_EQ(field.toolTip(), "short.txt");
}

}  // namespace
}  // namespace kit
