#pragma once

#include <QTableView>
#include <functional>
#include <optional>

namespace kit {

// A table that behaves like a pick list: the row under the pointer becomes the selected row as the pointer moves,
// Up and Down wrap around at the ends, and Return runs the table's action as a click on the selected row would.
// One row at a time is selected. Main thread only.
class HoverableTableView : public QTableView {
  Q_OBJECT

 public:
  explicit HoverableTableView(QWidget* parent = nullptr);

  // When false, the selection is cleared when the pointer leaves the table.
  bool keepSelection = true;
  // Up on the first row and Down on the last one wrap around.
  bool shouldCycle = true;
  // A row reached by wrapping is scrolled to the middle of the view (else just into view).
  bool centerSelectedRow = false;

  // What a click or Return on a row runs; it can read clickedRow() and clickedColumn().
  std::function<void()> action;

  // The row and column of the last click, or of the selected row while Return runs the action; -1 for none.
  int clickedRow() const;
  int clickedColumn() const;
  // The last selected row; -1 for none.
  int selectedRow() const;

  // After the model is reset, the row selected before (or the last row, when the table got shorter) is selected.
  void setModel(QAbstractItemModel* model) override;

 protected:
  void mouseMoveEvent(QMouseEvent* event) override;
  bool viewportEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void selectOnly(int row);
  void selectRowWrapping(int row);

  std::optional<int> clickedRowOverride_, clickedColumnOverride_;
  int lastClickedRow_ = -1, lastClickedColumn_ = -1;
  int rowBeforeReset_ = -1;
};

}  // namespace kit
