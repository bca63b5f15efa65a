#include "kit/ui/list_editing.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QListView>
#include <QMimeData>
#include <QTest>
#include <memory>
#include <utility>

namespace kit {
namespace {

using Rows = std::vector<std::string>;

// A drag event as a drag from another widget brings it: a move proposed where the source allows one.
template <class Event>
struct ProposingMove : Event {
  ProposingMove(QPoint at, const QMimeData& content)
      : Event(at, Qt::MoveAction | Qt::CopyAction, &content, Qt::LeftButton, Qt::NoModifier) {
    this->m_defaultAction = this->m_dropAction = Qt::MoveAction;
  }
};

class ListEditingModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto stored = Binding<Rows>::stored({"a", "b", "c", "d"});
    // Every write of the list is counted: one edit, one write.
    rows = {stored.get, [this, stored](const Rows& value) {
              ++writes;
              stored.set(value);
            }};
    view.resize(200, 200);
    view.setSelectionMode(QAbstractItemView::MultiSelection);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
  }
  ListEditingModel* bind(bool movable, bool deletable, bool insertable) {
    ListEditing<std::string> editing{.elements = rows,
                                     .title = [](const std::string& row) { return QString::fromStdString(row); },
                                     .movable = movable,
                                     .deletable = deletable};
    if (insertable) {
      editing.insertableTypes = {"text/plain"};
      editing.insert = [](const QMimeData& dropped) {
        Rows inserted;
        for (const QString& line : dropped.text().split('\n', Qt::SkipEmptyParts))
          inserted.push_back(line.toStdString());
        return inserted;
      };
    }
    return bindListEditing(view, std::move(editing));
  }
  void select(std::initializer_list<int> selected) {
    view.clearSelection();
    for (int row : selected) view.selectionModel()->select(view.model()->index(row, 0), QItemSelectionModel::Select);
  }
  // Drops the content on the upper or lower half of a row.
  bool dropOn(const QMimeData& content, int row, bool lowerHalf) {
    const QRect rect = view.visualRect(view.model()->index(row, 0));
    const QPoint at(rect.center().x(), lowerHalf ? rect.bottom() - 1 : rect.top() + 1);
    // As a drag does it: the view is entered and moved over before the drop.
    ProposingMove<QDragEnterEvent> enter(at, content);
    QApplication::sendEvent(view.viewport(), &enter);
    ProposingMove<QDragMoveEvent> move(at, content);
    QApplication::sendEvent(view.viewport(), &move);
    ProposingMove<QDropEvent> drop(at, content);
    QApplication::sendEvent(view.viewport(), &drop);
    actions = {move.dropAction(), drop.dropAction()};
    return drop.isAccepted();
  }
  std::vector<QString> shown() const {
    std::vector<QString> titles;
    for (int row = 0; row < view.model()->rowCount(); ++row)
      titles.push_back(view.model()->index(row, 0).data().toString());
    return titles;
  }

  Binding<Rows> rows;
  int writes = 0;
  // The actions the last drag was answered with, while it moved over the list and at its drop.
  std::pair<Qt::DropAction, Qt::DropAction> actions;
  QListView view;
};

TEST_F(ListEditingModelTest, DraggedRowsMoveToTheDropRowInOneWrite) {
  ListEditingModel* model = bind(true, false, false);
  const std::unique_ptr<QMimeData> dragged(model->mimeData({model->index(0, 0), model->index(2, 0)}));
  EXPECT_TRUE(dropOn(*dragged, 3, true));
  EXPECT_EQ(actions, std::pair(Qt::MoveAction, Qt::MoveAction));
  EXPECT_EQ(rows.get(), (Rows{"b", "d", "a", "c"}));
  EXPECT_EQ(writes, 1);
  EXPECT_EQ(shown(), (std::vector<QString>{"b", "d", "a", "c"}));

  // Rows of another list, or plain text, are not this list's to move, nor anything to insert here.
  QListView otherView;
  ListEditingModel other(otherView, {.titles = [] { return std::vector<QString>{"x"}; }, .move = [](auto&, size_t) {}});
  const std::unique_ptr<QMimeData> foreign(other.mimeData({other.index(0, 0)}));
  QMimeData text;
  text.setText("new");
  EXPECT_FALSE(dropOn(*foreign, 0, false));
  EXPECT_FALSE(dropOn(text, 0, false));
  EXPECT_EQ(writes, 1);
}

TEST_F(ListEditingModelTest, DeleteOrBackspaceRemovesTheSelectedRowsInOneWrite) {
  bind(false, true, false);
  select({1, 3});
  QTest::keyClick(&view, Qt::Key_Delete);
  EXPECT_EQ(rows.get(), (Rows{"a", "c"}));
  EXPECT_EQ(writes, 1);
  select({0});
  QTest::keyClick(&view, Qt::Key_Backspace);
  EXPECT_EQ(rows.get(), (Rows{"c"}));
  // With nothing selected, or with a modifier held, nothing is removed.
  view.clearSelection();
  QTest::keyClick(&view, Qt::Key_Delete);
  select({0});
  QTest::keyClick(&view, Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(writes, 2);
}

TEST_F(ListEditingModelTest, DroppedContentIsInsertedAtTheDropRowAndAnEmptyDropStillWritesOnce) {
  ListEditingModel* model = bind(false, false, true);
  QMimeData text;
  text.setText("x\ny");
  EXPECT_TRUE(dropOn(text, 1, false));
  EXPECT_EQ(actions, std::pair(Qt::CopyAction, Qt::CopyAction)) << "the source keeps what was dragged in";
  EXPECT_EQ(rows.get(), (Rows{"a", "x", "y", "b", "c", "d"}));
  EXPECT_EQ(writes, 1);
  QMimeData blank;
  blank.setText("\n");
  EXPECT_TRUE(dropOn(blank, 0, true));
  EXPECT_EQ(rows.get(), (Rows{"a", "x", "y", "b", "c", "d"}));
  EXPECT_EQ(writes, 2);

  // The list changed elsewhere is shown after a reload; rows cannot be moved in a list that only takes drops.
  rows.set({"only"});
  model->reload();
  EXPECT_EQ(shown(), (std::vector<QString>{"only"}));
  EXPECT_FALSE(model->flags(model->index(0, 0)).testFlag(Qt::ItemIsDragEnabled));
}

}  // namespace
}  // namespace kit
