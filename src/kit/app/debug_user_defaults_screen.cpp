#include "kit/app/debug_user_defaults_screen.h"

#include <QFontDatabase>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextDocument>
#include <QTextEdit>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cmath>
#include <functional>
#include <memory>

#include "kit/app/debug_pane_header.h"
#include "kit/app/preferences_dump.h"
#include "kit/foundation/system_event_publishers.h"
#include "kit/preferences/key.h"
#include "kit/ui/link_copy.h"
#include "kit/ui/text_styles.h"

namespace kit {

namespace {

constexpr int keyRole = Qt::UserRole;
constexpr int sectionRole = Qt::UserRole + 1;

// One text of a row, selectable, wrapped wherever it must be (inside a long word too), and as tall as its lines at any
// width: the whole value is always shown.
class RowText : public QTextEdit {
 public:
  RowText(const QString& text, const QFont& font, QWidget* parent) : QTextEdit(parent) {
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setTabChangesFocus(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    // The row's background and selection show through.
    setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
    document()->setDocumentMargin(0);
    setFont(font);
    setPlainText(text);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
  }

  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override {
    const std::unique_ptr<QTextDocument> laidOut(document()->clone());
    laidOut->setDefaultFont(font());
    laidOut->setTextWidth(width);
    return static_cast<int>(std::ceil(laidOut->size().height()));
  }
  QSize sizeHint() const override { return {width(), heightForWidth(width())}; }
  QSize minimumSizeHint() const override { return {0, 0}; }

 protected:
  // The list scrolls, not the text.
  void wheelEvent(QWheelEvent* event) override { event->ignore(); }
};

// The key in bold over its value, as tall as the two texts are at the width the list gives the row; `heightChanged` is
// told when that height changes, so that the list lays its rows out again.
class PreferenceRow : public QWidget {
 public:
  PreferenceRow(const std::string& key, const std::string& value, QObject* textFilter,
                std::function<void()> heightChanged)
      : heightChanged_(std::move(heightChanged)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 6, 2, 6);
    layout->setSpacing(4);
    QFont bold = font();
    bold.setBold(true);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSizeF(systemFontSize());
    fixed.setWeight(QFont::Normal);
    for (auto* text : {new RowText(QString::fromStdString(key), bold, this),
                       new RowText(QString::fromStdString(value), fixed, this)}) {
      // The texts take the clicks (to select text) and the focus: the row learns of both through the filter.
      text->installEventFilter(textFilter);
      text->viewport()->installEventFilter(textFilter);
      layout->addWidget(text);
    }
  }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    const int height = heightForWidth(width());
    if (height == minimumHeight() && height == maximumHeight()) return;
    setFixedHeight(height);
    heightChanged_();
  }

 private:
  std::function<void()> heightChanged_;
};

}  // namespace

std::vector<DebugSuite>& debugUserDefaultsSuites() {
  static std::vector<DebugSuite> suites;
  return suites;
}

std::string debugDisplayName(const platform::UserDefaults& suite) {
  if (&suite == &platform::UserDefaults::standard()) return "Standard";
  for (const auto& listed : debugUserDefaultsSuites())
    if (listed.suite.get() == &suite && listed.title) return *listed.title;
  return "<Unknown>";
}

DebugUserDefaultsScreen::DebugUserDefaultsScreen(platform::Pasteboard& pasteboard, QWidget* parent)
    : QWidget(parent), pasteboard_(pasteboard), didChange_(userDefaultsDidChangePublisher()) {
  layout_ = new QVBoxLayout(this);
  tree_ = new QTreeWidget(this);
  tree_->setHeaderHidden(true);
  tree_->setRootIsDecorated(false);
  tree_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  tree_->setContextMenuPolicy(Qt::CustomContextMenu);
  tree_->installEventFilter(this);
  connect(tree_, &QTreeWidget::customContextMenuRequested, this, [this](const QPoint& position) {
    QTreeWidgetItem* item = tree_->itemAt(position);
    if (!item || item->data(0, keyRole).isNull()) return;
    if (!item->isSelected()) tree_->setCurrentItem(item);
    QMenu menu;
    menu.addAction("Delete", [this] { deleteSelectedRows(); });
    menu.exec(tree_->viewport()->mapToGlobal(position));
  });
  layout_->addWidget(tree_, 1);
  rebuild();

  // Changes may be written on any thread; the observable announces them on the main thread, and a burst of them is
  // listed again once. The subscription ends before the widget goes, so `this` outlives every delivery.
  changes_ = didChange_.objectWillChange.publisher().sink([this](const auto&) {
    if (rebuildQueued_) return;
    rebuildQueued_ = true;
    QMetaObject::invokeMethod(this, &DebugUserDefaultsScreen::rebuild, Qt::QueuedConnection);
  });
}

std::vector<DebugUserDefaultsScreen::Section> DebugUserDefaultsScreen::sections() const {
  std::vector<Section> list{
      {&platform::UserDefaults::standard(), debugDisplayName(platform::UserDefaults::standard())}};
  for (const auto& extra : debugUserDefaultsSuites())
    if (extra.suite) list.push_back({extra.suite.get(), debugDisplayName(*extra.suite)});
  return list;
}

void DebugUserDefaultsScreen::rebuild() {
  rebuildQueued_ = false;
  const int scrolled = tree_->verticalScrollBar()->value();
  tree_->clear();
  bool hasEntries = false;
  const auto listed = sections();
  for (size_t index = 0; index < listed.size(); ++index) {
    auto* section = new QTreeWidgetItem(tree_, {QString::fromStdString(listed[index].title)});
    section->setFlags(Qt::ItemIsEnabled);
    QFont font = section->font(0);
    font.setBold(true);
    section->setFont(0, font);
    for (const auto& [key, stored] : PreferencesDump::debugEntries(*listed[index].suite)) {
      hasEntries = true;
      const std::string value = PreferencesDump::textualDescription(stored);
      auto* row = new QTreeWidgetItem(section);
      row->setData(0, keyRole, QString::fromStdString(key));
      row->setData(0, sectionRole, static_cast<int>(index));
      row->setData(0, Qt::AccessibleTextRole,
                   QString::fromStdString(key) + "\n" + QString::fromStdString(value));  // what the row shows
      tree_->setItemWidget(row, 0, new PreferenceRow(key, value, this, [this] { layOutRowsAgain(); }));
    }
    section->setExpanded(true);
  }
  tree_->verticalScrollBar()->setValue(scrolled);

  auto* header = new DebugPaneHeader(
      "User Preferences", hasEntries,
      [this] {
        std::string text;
        for (const auto& section : sections())
          for (const auto& [key, value] : PreferencesDump::debugEntries(*section.suite))
            text.append(text.empty() ? "" : "\n")
                .append(key)
                .append(": ")
                .append(PreferencesDump::textualDescription(value));
        copyText(pasteboard_, text);
      },
      [this] {
        for (const auto& section : sections()) Preferences::removeAll(*section.suite);
      },
      this);
  if (header_) {
    delete layout_->replaceWidget(header_, header);  // the old layout item is ours to free
    delete header_;
  } else {
    layout_->insertWidget(0, header);
  }
  header_ = header;
}

void DebugUserDefaultsScreen::layOutRowsAgain() {
  if (layoutQueued_) return;
  layoutQueued_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        layoutQueued_ = false;
        tree_->doItemsLayout();
      },
      Qt::QueuedConnection);
}

void DebugUserDefaultsScreen::deleteSelectedRows() {
  const auto listed = sections();
  std::vector<std::pair<platform::UserDefaults*, std::string>> doomed;
  for (QTreeWidgetItem* item : tree_->selectedItems()) {
    if (item->data(0, keyRole).isNull()) continue;
    const auto index = static_cast<size_t>(item->data(0, sectionRole).toInt());
    if (index < listed.size())
      doomed.emplace_back(listed[index].suite, item->data(0, keyRole).toString().toStdString());
  }
  for (const auto& [suite, key] : doomed) suite->remove(key);
}

void DebugUserDefaultsScreen::selectRowOfText(QWidget* text, const QMouseEvent& click) {
  QTreeWidgetItem* row = tree_->itemAt(text->mapTo(tree_->viewport(), click.position().toPoint()));
  if (!row || row->data(0, keyRole).isNull()) return;
  // As a click on the row itself would: Ctrl adds or takes away one row, Shift adds the rows up to it.
  const QModelIndex anchor = tree_->currentIndex();
  tree_->setCurrentItem(row, 0, QItemSelectionModel::NoUpdate);
  if (click.modifiers() & Qt::ControlModifier) {
    row->setSelected(!row->isSelected());
  } else if ((click.modifiers() & Qt::ShiftModifier) && anchor.isValid() &&
             anchor.parent() == tree_->currentIndex().parent()) {
    tree_->selectionModel()->select(QItemSelection(anchor, tree_->currentIndex()),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
  } else {
    tree_->setCurrentItem(row);
  }
}

bool DebugUserDefaultsScreen::eventFilter(QObject* watched, QEvent* event) {
  const bool onText =
      watched != tree_ && watched->isWidgetType() && tree_->viewport()->isAncestorOf(static_cast<QWidget*>(watched));
  if (onText && event->type() == QEvent::MouseButtonPress) {
    auto* click = static_cast<QMouseEvent*>(event);
    if (click->button() == Qt::LeftButton) selectRowOfText(static_cast<QWidget*>(watched), *click);
    return false;  // the text goes on to select what is dragged over
  }
  if ((watched == tree_ || onText) && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Delete || key == Qt::Key_Backspace) {
      deleteSelectedRows();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace kit
