#include "kit/ui/labels.h"

#include <gtest/gtest.h>

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

TEST(ExpansionTextField, ATextCutShortIsTheTooltip) {
  ExpansionTextField field("A rather long file name.txt");
  field.resize(field.sizeHint());
  field.show();
  EXPECT_TRUE(field.toolTip().isEmpty());
  EXPECT_EQ(field.text(), "A rather long file name.txt");

  field.resize(field.sizeHint().width() / 2, field.height());
  EXPECT_EQ(field.toolTip(), "A rather long file name.txt");
  EXPECT_TRUE(field.text().endsWith(QChar(0x2026)));
}

}  // namespace
}  // namespace kit
