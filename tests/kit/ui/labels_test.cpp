#include "kit/ui/labels.h"

#include <gtest/gtest.h>

#include <QTextDocument>

#include "support/title_shown.h"

namespace kit {
namespace {

TEST(CocoaLabel, DisabledTextTakesTheSecondaryColour) {
  QWidget window;
  auto* label = new CocoaLabel("Name", &window);
  const QColor primary = window.palette().color(QPalette::Active, QPalette::WindowText);
  const QColor secondary = window.palette().color(QPalette::Active, QPalette::PlaceholderText);
  ASSERT_NE(primary, secondary);
  label->setEnabled(false);
  EXPECT_EQ(label->palette().color(QPalette::Disabled, QPalette::WindowText), secondary);
  label->setEnabled(true);
  EXPECT_EQ(label->palette().color(QPalette::Active, QPalette::WindowText), primary);
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
  EXPECT_EQ(field.text(), "A rather long file name.txt");

  field.resize(field.sizeHint().width() / 2, field.height());
  EXPECT_EQ(field.toolTip(), "A rather long file name.txt");
  EXPECT_TRUE(field.text().endsWith(QChar(0x2026)));

  // A text that looks like markup is shown as written, in the field and in its tooltip.
  field.setFullText("<b>notes</b>  draft.txt");
  field.resize(field.sizeHint());
  EXPECT_EQ(titleShown(field), "<b>notes</b>  draft.txt");
  field.resize(field.sizeHint().width() / 2, field.height());
  QTextDocument tooltip;
  tooltip.setHtml(field.toolTip());
  EXPECT_EQ(tooltip.toPlainText(), "<b>notes</b>  draft.txt");
}

}  // namespace
}  // namespace kit
