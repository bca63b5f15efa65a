#include "kit/ui/info_popover_button.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>
#include <QVBoxLayout>
#include <string>
#include <vector>

#include "kit/ui/popover.h"

namespace kit {
namespace {

TEST(InfoPopoverButtonTest, OpensItsContentUnderTheButtonAtTheGivenWidthWithItsOwnFont) {
  QWidget window;
  QFont bold = window.font();
  bold.setBold(true);
  window.setFont(bold);
  auto* layout = new QVBoxLayout(&window);
  std::vector<bool> actions;
  const std::string longText(40, 'x');
  auto* button = new InfoPopoverButton(
      [&] { return new QLabel(QString::fromStdString(longText + " " + longText + " " + longText)); }, 200,
      [&](bool open) { actions.push_back(open); });
  layout->addWidget(button);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  button->click();
  ASSERT_TRUE(button->isPopoverPresented());
  QWidget* content = button->popover()->content();
  EXPECT_EQ(content->width(), 200);
  EXPECT_GT(content->height(), 2 * content->fontMetrics().height());  // wrapped, not cut
  EXPECT_FALSE(content->font().bold());
  EXPECT_GE(button->popover()->y(), button->mapToGlobal(QPoint(0, button->height())).y());

  Popover* first = button->popover();
  button->click();
  EXPECT_EQ(button->popover(), first);
  EXPECT_EQ(actions, (std::vector<bool>{true, true}));

  QTest::keyClick(first, Qt::Key_Escape);
  EXPECT_FALSE(button->isPopoverPresented());

  // Without a width the text keeps its natural size.
  auto* natural = InfoPopoverButton::withMarkdown("**Before** and a rather long line that does not wrap at all");
  layout->addWidget(natural);
  natural->click();
  auto* label = qobject_cast<QLabel*>(natural->popover()->content());
  ASSERT_NE(label, nullptr);
  EXPECT_FALSE(label->wordWrap());
  natural->popover()->close();
}

}  // namespace
}  // namespace kit
