#include "kit/ui/selectable_row_text.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLabel>
#include <QPersistentModelIndex>
#include <QStyledItemDelegate>
#include <memory>
#include <vector>

namespace kit {

namespace {

class SelectableRowTextDelegate : public QStyledItemDelegate {
 public:
  explicit SelectableRowTextDelegate(QAbstractItemView& view) : QStyledItemDelegate(&view), view_(view) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex&) const override {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(option.features.testFlag(QStyleOptionViewItem::WrapText));
    label->setAlignment(option.displayAlignment);
    label->setFont(option.font);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    label->setCursor(Qt::IBeamCursor);
    // Where the row draws its own text, so nothing moves when the label takes over.
    const QStyle* style = view_.style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view_) + 1;
    label->setContentsMargins(margin, 0, margin, 0);
    return label;
  }

  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    static_cast<QLabel*>(editor)->setText(index.data(Qt::DisplayRole).toString());
  }
  void setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const override {}
  void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex&) const override {
    editor->setGeometry(option.rect);
  }

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    if (!view_.isPersistentEditorOpen(index)) {
      QStyledItemDelegate::paint(painter, option, index);
      return;
    }
    // The label shows the text: the row draws only its background.
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.text.clear();
    const QWidget* widget = background.widget;
    (widget ? widget->style() : QApplication::style())
        ->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);
  }

 private:
  QAbstractItemView& view_;
};

}  // namespace

void makeRowTextSelectable(QAbstractItemView& view) {
  view.setItemDelegate(new SelectableRowTextDelegate(view));
  view.setMouseTracking(true);
  auto covered = std::make_shared<std::vector<QPersistentModelIndex>>();
  QObject::connect(&view, &QAbstractItemView::entered, &view, [&view, covered](const QModelIndex& index) {
    std::vector<QPersistentModelIndex> kept;
    for (const QPersistentModelIndex& row : *covered) {
      if (!row.isValid()) continue;  // the row is gone, and its label with it
      auto* label = qobject_cast<QLabel*>(view.indexWidget(row));
      if (row == index || (label && label->hasSelectedText())) {
        kept.push_back(row);
      } else {
        view.closePersistentEditor(row);
      }
    }
    if (index.isValid() && !view.isPersistentEditorOpen(index)) {
      view.openPersistentEditor(index);
      kept.emplace_back(index);
    }
    *covered = std::move(kept);
  });
}

}  // namespace kit
