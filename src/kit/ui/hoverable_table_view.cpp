#include "kit/ui/hoverable_table_view.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace kit {

HoverableTableView::HoverableTableView(QWidget* parent) : QTableView(parent) {
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setMouseTracking(true);
}

int HoverableTableView::clickedRow() const { return clickedRowOverride_.value_or(lastClickedRow_); }

int HoverableTableView::clickedColumn() const { return clickedColumnOverride_.value_or(lastClickedColumn_); }

int HoverableTableView::selectedRow() const {
  if (selectionModel() == nullptr) return -1;
  int row = -1;
  for (const QModelIndex& index : selectionModel()->selectedRows()) row = std::max(row, index.row());
  return row;
}

void HoverableTableView::setModel(QAbstractItemModel* model) {
  if (this->model() != nullptr) disconnect(this->model(), nullptr, this, nullptr);
  QTableView::setModel(model);
  if (model == nullptr) return;
  connect(model, &QAbstractItemModel::modelAboutToBeReset, this, [this] { rowBeforeReset_ = selectedRow(); });
  // Connected after the selection model's own handler, which clears the selection on a reset.
  connect(model, &QAbstractItemModel::modelReset, this, [this] {
    selectOnly(std::min(rowBeforeReset_, this->model()->rowCount(rootIndex()) - 1));
    rowBeforeReset_ = -1;
  });
}

// A row below 0 clears the selection; in a table without rows nothing changes.
void HoverableTableView::selectOnly(int row) {
  if (model() == nullptr || model()->rowCount(rootIndex()) == 0) return;
  if (row < 0) {
    clearSelection();
  } else {
    selectRow(row);
  }
}

void HoverableTableView::mouseMoveEvent(QMouseEvent* event) {
  QTableView::mouseMoveEvent(event);
  const int row = rowAt(event->position().toPoint().y());
  if (row == -1 || row == selectedRow()) return;
  selectOnly(row);
}

bool HoverableTableView::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::Leave && !keepSelection && selectionModel() != nullptr) clearSelection();
  return QTableView::viewportEvent(event);
}

void HoverableTableView::mousePressEvent(QMouseEvent* event) {
  QTableView::mousePressEvent(event);
  const QPoint position = event->position().toPoint();
  lastClickedRow_ = rowAt(position.y());
  lastClickedColumn_ = columnAt(position.x());
  selectOnly(lastClickedRow_);
}

void HoverableTableView::mouseReleaseEvent(QMouseEvent* event) {
  QTableView::mouseReleaseEvent(event);
  if (action && event->button() == Qt::LeftButton && lastClickedRow_ >= 0) action();
}

void HoverableTableView::keyPressEvent(QKeyEvent* event) {
  const int rows = model() != nullptr ? model()->rowCount(rootIndex()) : 0;
  switch (event->key()) {
    case Qt::Key_Down:
      if (rows > 0 && selectedRow() == rows - 1) {
        selectRowWrapping(0);
        return;
      }
      break;
    case Qt::Key_Up:
      if (rows > 0 && selectedRow() == 0) {
        selectRowWrapping(rows - 1);
        return;
      }
      break;
    case Qt::Key_Return: {
      const int row = selectedRow();
      selectOnly(row);
      if (action && row >= 0) {
        clickedRowOverride_ = row;
        clickedColumnOverride_ = -1;  // a whole row is selected, no column
        action();
        clickedRowOverride_.reset();
        clickedColumnOverride_.reset();
      }
      break;
    }
    default:
      break;
  }
  QTableView::keyPressEvent(event);
}

void HoverableTableView::selectRowWrapping(int row) {
  if (!shouldCycle) return;
  selectOnly(row);
  const QModelIndex index = model()->index(row, 0, rootIndex());
  scrollTo(index, centerSelectedRow ? QAbstractItemView::PositionAtCenter : QAbstractItemView::EnsureVisible);
}

}  // namespace kit
