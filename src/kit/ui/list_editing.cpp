#include "kit/ui/list_editing.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QDropEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMimeData>
#include <QStringList>
#include <memory>
#include <optional>

namespace kit {

namespace {

// The rows a drag takes from a list, with the address of the list's model so that only that list reads them as
// its own.
constexpr const char* ownRowsType = "application/x-kit-list-rows";

}  // namespace

ListEditingModel::ListEditingModel(QAbstractItemView& view, Operations operations)
    : QAbstractListModel(&view), view_(view), operations_(std::move(operations)) {
  titles_ = operations_.titles();
  view.setModel(this);
  const bool takesDrops = static_cast<bool>(operations_.insert);
  view.setDragEnabled(static_cast<bool>(operations_.move));
  view.setAcceptDrops(operations_.move || takesDrops);
  view.viewport()->setAcceptDrops(operations_.move || takesDrops);
  view.setDropIndicatorShown(true);
  view.setDefaultDropAction(Qt::MoveAction);
  // Not the view's internal move mode: what may be dropped is the model's to say (its own rows, or what it inserts).
  if (operations_.move) {
    view.setDragDropMode(QAbstractItemView::DragDrop);
  } else if (takesDrops) {
    view.setDragDropMode(QAbstractItemView::DropOnly);
  }
  view.installEventFilter(this);
  view.viewport()->installEventFilter(this);
}

void ListEditingModel::reload() {
  beginResetModel();
  titles_ = operations_.titles();
  endResetModel();
}

int ListEditingModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(titles_.size());
}

QVariant ListEditingModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || role != Qt::DisplayRole) return {};
  return titles_[static_cast<size_t>(index.row())];
}

Qt::ItemFlags ListEditingModel::flags(const QModelIndex& index) const {
  // Drops go between rows, never onto one.
  if (!index.isValid()) return operations_.move || operations_.insert ? Qt::ItemIsDropEnabled : Qt::NoItemFlags;
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (operations_.move) flags |= Qt::ItemIsDragEnabled;
  return flags;
}

QStringList ListEditingModel::mimeTypes() const {
  QStringList types = operations_.insertableTypes;
  if (operations_.move) types.prepend(QString::fromLatin1(ownRowsType));
  return types;
}

QMimeData* ListEditingModel::mimeData(const QModelIndexList& indexes) const {
  QStringList fields{QString::number(reinterpret_cast<quintptr>(this))};
  std::set<int> rows;
  for (const QModelIndex& index : indexes) rows.insert(index.row());
  for (int row : rows) fields.append(QString::number(row));
  auto* data = new QMimeData;
  data->setData(QString::fromLatin1(ownRowsType), fields.join(' ').toLatin1());
  return data;
}

std::optional<std::set<size_t>> ListEditingModel::ownRows(const QMimeData& data) const {
  if (!data.hasFormat(QString::fromLatin1(ownRowsType))) return std::nullopt;
  const QStringList fields = QString::fromLatin1(data.data(QString::fromLatin1(ownRowsType))).split(' ');
  if (fields.isEmpty() || fields.front() != QString::number(reinterpret_cast<quintptr>(this))) return std::nullopt;
  std::set<size_t> rows;
  for (qsizetype i = 1; i < fields.size(); ++i) {
    bool ok = false;
    const int row = fields[i].toInt(&ok);
    if (ok && row >= 0 && row < rowCount()) rows.insert(static_cast<size_t>(row));
  }
  return rows;
}

bool ListEditingModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int, int, const QModelIndex&) const {
  if (!data) return false;
  if (ownRows(*data)) return static_cast<bool>(operations_.move);
  if (!operations_.insert) return false;
  for (const QString& type : operations_.insertableTypes)
    if (data->hasFormat(type)) return true;
  return false;
}

Qt::DropActions ListEditingModel::supportedDragActions() const { return Qt::MoveAction; }

Qt::DropActions ListEditingModel::supportedDropActions() const { return Qt::MoveAction | Qt::CopyAction; }

size_t ListEditingModel::dropRow(QPoint position) const {
  const QModelIndex index = view_.indexAt(position);
  if (!index.isValid()) return titles_.size();
  const bool lowerHalf = position.y() > view_.visualRect(index).center().y();
  return static_cast<size_t>(index.row()) + (lowerHalf ? 1 : 0);
}

std::set<size_t> ListEditingModel::selectedRows() const {
  std::set<size_t> rows;
  if (!view_.selectionModel()) return rows;
  for (const QModelIndex& index : view_.selectionModel()->selectedIndexes())
    rows.insert(static_cast<size_t>(index.row()));
  return rows;
}

bool ListEditingModel::drop(const QMimeData& data, QPoint position) {
  if (!canDropMimeData(&data, Qt::MoveAction, -1, -1, {})) return false;
  const size_t row = dropRow(position);
  if (auto rows = ownRows(data)) {
    if (rows->empty()) return false;
    operations_.move(*rows, row);
  } else {
    operations_.insert(data, row);
  }
  reload();
  return true;
}

bool ListEditingModel::isCopiedIn(const QDropEvent& event) const {
  return event.mimeData() && !ownRows(*event.mimeData()) && event.possibleActions().testFlag(Qt::CopyAction);
}

bool ListEditingModel::eventFilter(QObject* watched, QEvent* event) {
  const bool entersOrMoves = event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove;
  if (watched == view_.viewport() && entersOrMoves && !showingCopy_ && isCopiedIn(*static_cast<QDropEvent*>(event))) {
    // What comes from elsewhere is copied in, so that its source keeps it: the view, which takes whatever action the
    // source proposes (a move, from most), is shown the drag as a copy.
    auto* drag = static_cast<QDragMoveEvent*>(event);
    const QPoint position = drag->position().toPoint();
    std::unique_ptr<QDragMoveEvent> copy =
        event->type() == QEvent::DragEnter
            ? std::make_unique<QDragEnterEvent>(position, Qt::CopyAction, drag->mimeData(), drag->buttons(),
                                                drag->modifiers())
            : std::make_unique<QDragMoveEvent>(position, Qt::CopyAction, drag->mimeData(), drag->buttons(),
                                               drag->modifiers());
    showingCopy_ = true;
    QCoreApplication::sendEvent(view_.viewport(), copy.get());
    showingCopy_ = false;
    drag->setDropAction(Qt::CopyAction);
    drag->setAccepted(copy->isAccepted());
    return true;
  }
  if (watched == view_.viewport() && event->type() == QEvent::Drop) {
    // The whole drop is one edit here; the view's own handling would move rows one by one.
    auto* dropEvent = static_cast<QDropEvent*>(event);
    const bool copiedIn = isCopiedIn(*dropEvent);
    if (dropEvent->mimeData() && drop(*dropEvent->mimeData(), dropEvent->position().toPoint())) {
      if (copiedIn) {
        dropEvent->setDropAction(Qt::CopyAction);
        dropEvent->accept();
      } else {
        dropEvent->acceptProposedAction();
      }
    } else {
      dropEvent->ignore();
    }
    return true;
  }
  if (watched == &view_ && event->type() == QEvent::KeyPress && operations_.remove) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool removes = (key->key() == Qt::Key_Delete || key->key() == Qt::Key_Backspace) &&
                         (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    const std::set<size_t> rows = selectedRows();
    if (removes && !rows.empty()) {
      operations_.remove(rows);
      reload();
      return true;
    }
  }
  return false;
}

}  // namespace kit
