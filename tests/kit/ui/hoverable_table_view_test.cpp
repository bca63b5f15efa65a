#include "kit/ui/hoverable_table_view.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QStringListModel>
#include <QTest>

namespace kit {
namespace {

class HoverableTableViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    table.setModel(&model);
    table.verticalHeader()->setDefaultSectionSize(20);
    table.resize(200, 200);
    table.show();
    table.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&table));
  }
  QPoint rowCenter(int row) const { return {20, table.rowViewportPosition(row) + 10}; }
  void hover(QPoint point) { QTest::mouseMove(table.viewport(), point); }

  QStringListModel model{QStringList{"one", "two", "three", "four", "five"}};
  HoverableTableView table;
};

TEST_F(HoverableTableViewTest, ThePointerSelectsTheRowUnderIt) {
  hover(rowCenter(2));
  EXPECT_EQ(table.selectedRow(), 2);
  hover(rowCenter(3));
  EXPECT_EQ(table.selectedRow(), 3);
  hover({20, 180});  // below the last row
  EXPECT_EQ(table.selectedRow(), 3);

  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(table.viewport(), &leave);
  EXPECT_EQ(table.selectedRow(), 3) << "the last hovered row stays";
  table.keepSelection = false;
  QCoreApplication::sendEvent(table.viewport(), &leave);
  EXPECT_EQ(table.selectedRow(), -1);
}

TEST_F(HoverableTableViewTest, ArrowKeysWrapAroundUnlessCyclingIsOff) {
  table.selectRow(4);
  QTest::keyClick(&table, Qt::Key_Down);
  EXPECT_EQ(table.selectedRow(), 0);
  QTest::keyClick(&table, Qt::Key_Up);
  EXPECT_EQ(table.selectedRow(), 4);
  QTest::keyClick(&table, Qt::Key_Up);
  EXPECT_EQ(table.selectedRow(), 3) << "inside the table the keys work as usual";

  table.shouldCycle = false;
  table.selectRow(4);
  QTest::keyClick(&table, Qt::Key_Down);
  EXPECT_EQ(table.selectedRow(), 4);
  table.selectRow(0);
  QTest::keyClick(&table, Qt::Key_Up);
  EXPECT_EQ(table.selectedRow(), 0);
}

TEST_F(HoverableTableViewTest, ReturnRunsTheActionAsAClickOnTheSelectedRow) {
  std::vector<int> clickedRows;
  table.action = [&] { clickedRows.push_back(table.clickedRow()); };
  table.selectRow(2);
  QTest::keyClick(&table, Qt::Key_Return);
  EXPECT_EQ(clickedRows, std::vector<int>{2});
  EXPECT_EQ(table.clickedRow(), -1) << "back to the last real click: none";

  QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, rowCenter(1));
  EXPECT_EQ(clickedRows, (std::vector<int>{2, 1}));
  EXPECT_EQ(table.selectedRow(), 1);
}

TEST_F(HoverableTableViewTest, AReloadKeepsTheRowOrTheLastOne) {
  table.selectRow(3);
  model.setStringList({"a", "b", "c", "d", "e", "f"});
  EXPECT_EQ(table.selectedRow(), 3);
  model.setStringList({"a", "b"});
  EXPECT_EQ(table.selectedRow(), 1);
  model.setStringList({});
  EXPECT_EQ(table.selectedRow(), -1);
  QTest::keyClick(&table, Qt::Key_Down);
  QTest::keyClick(&table, Qt::Key_Up);
  QTest::keyClick(&table, Qt::Key_Return);
  EXPECT_EQ(table.selectedRow(), -1) << "an empty table has nothing to wrap to";
}

}  // namespace
}  // namespace kit
