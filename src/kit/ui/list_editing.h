#pragma once

#include <QAbstractListModel>
#include <QStringList>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "kit/foundation/binding.h"
#include "kit/ui/view_building_blocks.h"

class QAbstractItemView;
class QDropEvent;
class QMimeData;

namespace kit {

// The rows of a list view over a list that lives elsewhere, edited by the user: rows dragged to another place move
// there, Delete or Backspace removes the selected rows, and what is dropped from outside is inserted at the row it
// is dropped on, as a copy (its source keeps it). Each edit is one change of the whole list. Main thread only.
class ListEditingModel : public QAbstractListModel {
  Q_OBJECT

 public:
  struct Operations {
    // The rows' titles, read again after each edit and on reload().
    std::function<std::vector<QString>()> titles;
    // Moves the rows at the offsets before the row at the destination; none: rows stay where they are.
    std::function<void(const std::set<size_t>& offsets, size_t destination)> move;
    // Removes the rows at the offsets; none: rows cannot be removed.
    std::function<void(const std::set<size_t>& offsets)> remove;
    // The kinds of dropped content (MIME types) that insert() takes.
    QStringList insertableTypes;
    // Inserts what was dropped at the offset; none: nothing can be dropped in.
    std::function<void(const QMimeData& dropped, size_t offset)> insert;
  };

  // Becomes the view's model, and lives as long as the view.
  ListEditingModel(QAbstractItemView& view, Operations operations);

  // Shows the list again, after it changed elsewhere.
  void reload();

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QModelIndexList& indexes) const override;
  bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                       const QModelIndex& parent) const override;
  Qt::DropActions supportedDragActions() const override;
  Qt::DropActions supportedDropActions() const override;

  // The row before which content dropped at `position` (in the view's viewport) goes.
  size_t dropRow(QPoint position) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::set<size_t> selectedRows() const;
  // The rows being dragged, when the content comes from this list.
  std::optional<std::set<size_t>> ownRows(const QMimeData& data) const;
  bool drop(const QMimeData& data, QPoint position);
  // Whether the dragged content comes from elsewhere and may be copied in.
  bool isCopiedIn(const QDropEvent& event) const;

  QAbstractItemView& view_;
  Operations operations_;
  std::vector<QString> titles_;
  bool showingCopy_ = false;
};

// How a list of T is shown and which edits the user may make; each edit reads the bound list, changes it and
// writes it back once.
template <class T>
struct ListEditing {
  Binding<std::vector<T>> elements;
  std::function<QString(const T&)> title;
  bool movable = false;
  bool deletable = false;
  QStringList insertableTypes;
  // The new elements made of dropped content; none or an empty result still writes the list back.
  std::function<std::vector<T>(const QMimeData&)> insert;
};

template <class T>
ListEditingModel* bindListEditing(QAbstractItemView& view, ListEditing<T> editing) {
  const Binding<std::vector<T>> elements = editing.elements;
  ListEditingModel::Operations operations;
  operations.titles = [elements, title = editing.title] {
    std::vector<QString> titles;
    for (const T& element : elements.get()) titles.push_back(title(element));
    return titles;
  };
  if (editing.movable) {
    operations.move = [elements](const std::set<size_t>& offsets, size_t destination) {
      std::vector<T> list = elements.get();
      moveElements(list, offsets, destination);
      elements.set(list);
    };
  }
  if (editing.deletable) {
    operations.remove = [elements](const std::set<size_t>& offsets) {
      std::vector<T> list = elements.get();
      removeElements(list, offsets);
      elements.set(list);
    };
  }
  if (editing.insert) {
    operations.insertableTypes = editing.insertableTypes;
    operations.insert = [elements, insert = editing.insert](const QMimeData& dropped, size_t offset) {
      std::vector<T> inserted = insert(dropped);
      std::vector<T> list = elements.get();
      insertElements(list, offset, std::move(inserted));
      elements.set(list);
    };
  }
  return new ListEditingModel(view, std::move(operations));
}

}  // namespace kit
