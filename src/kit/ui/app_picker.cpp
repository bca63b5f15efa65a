#include "kit/ui/app_picker.h"

#include <QCollator>
#include <QDialogButtonBox>
#include <QFileSystemModel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "kit/foundation/sequence_utilities.h"
#include "kit/foundation/zv_app.h"
#include "kit/ui/error_sheet.h"
#include "kit/ui/native_text_field.h"
#include "kit/ui/symbol_icons.h"
#include "kit/ui/window_access.h"
#include "platform/system/desktop_entry.h"

namespace kit {

namespace {

constexpr int idRole = Qt::UserRole;
constexpr QSize pickerSize{420, 480};

std::vector<platform::DesktopEntry> listedApplications() {
  std::vector<platform::DesktopEntry> entries;
  for (auto& entry : platform::DesktopEntries::all()) {
    if (!entry.noDisplay) entries.push_back(std::move(entry));
  }
  QCollator collator;
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  std::stable_sort(entries.begin(), entries.end(), [&](const auto& a, const auto& b) {
    return collator.compare(QString::fromStdString(a.name), QString::fromStdString(b.name)) < 0;
  });
  return entries;
}

}  // namespace

AppPickerDialog::AppPickerDialog(bool allowsMultipleSelection, Validate validate, QWidget* parent)
    : QDialog(parent), validate_(std::move(validate)) {
  resize(pickerSize);
  auto query = Binding<std::string>::stored();
  search_ = new SearchField({.text = {query.get,
                                      [this, query](const std::string& text) {
                                        query.set(text);
                                        filter(text);
                                      }},
                             .placeholder = "Search"},
                            this);

  list_ = new QListWidget(this);
  list_->setSelectionMode(allowsMultipleSelection ? QAbstractItemView::ExtendedSelection
                                                  : QAbstractItemView::SingleSelection);
  list_->setIconSize(QSize(24, 24));
  list_->setUniformItemSizes(true);
  for (const auto& entry : listedApplications()) {
    auto* item = new QListWidgetItem(appIconImage({entry.icon}), QString::fromStdString(entry.name), list_);
    item->setData(idRole, QString::fromStdString(entry.id));
    item->setToolTip(QString::fromStdString(entry.id));
    if (entry.id == ZvApp::id()) item->setFlags(item->flags() & ~(Qt::ItemIsEnabled | Qt::ItemIsSelectable));
  }

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
  choose_ = buttons->addButton(QStringLiteral("Choose"), QDialogButtonBox::AcceptRole);
  choose_->setDefault(true);
  choose_->setEnabled(false);
  connect(buttons, &QDialogButtonBox::accepted, this, &AppPickerDialog::choose);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(list_, &QListWidget::itemSelectionChanged, this,
          [this] { choose_->setEnabled(!list_->selectedItems().isEmpty()); });
  connect(list_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
    if (item->flags().testFlag(Qt::ItemIsSelectable)) choose();
  });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(search_);
  layout->addWidget(list_, 1);
  layout->addWidget(buttons);
}

void AppPickerDialog::filter(const std::string& text) {
  const QString wanted = QString::fromStdString(text).trimmed();
  for (int row = 0; row < list_->count(); ++row) {
    QListWidgetItem* item = list_->item(row);
    const bool matches = wanted.isEmpty() || item->text().contains(wanted, Qt::CaseInsensitive) ||
                         item->data(idRole).toString().contains(wanted, Qt::CaseInsensitive);
    item->setHidden(!matches);
    if (!matches) item->setSelected(false);
  }
}

void AppPickerDialog::choose() {
  std::vector<std::string> ids;
  for (int row = 0; row < list_->count(); ++row) {
    QListWidgetItem* item = list_->item(row);
    if (item->isSelected() && !item->isHidden()) ids.push_back(item->data(idRole).toString().toStdString());
  }
  if (ids.empty()) return;
  if (validate_) {
    for (const auto& id : ids) {
      try {
        validate_(id);
      } catch (const Error& error) {
        presentAsModal(error, this);
        return;
      }
    }
  }
  std::erase(ids, ZvApp::id());
  chosen_ = removingDuplicates(ids);
  accept();
}

namespace AppPicker {

void pick(bool allowsMultipleSelection, QWidget* window, AppPickerDialog::Validate validate,
          std::function<void(std::vector<std::string>)> completion) {
  auto* dialog = new AppPickerDialog(allowsMultipleSelection, std::move(validate), window);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  beginPanel(*dialog, window, [dialog, completion = std::move(completion)](int result) {
    completion(result == QDialog::Accepted ? dialog->chosen() : std::vector<std::string>());
  });
}

}  // namespace AppPicker

DirectoryPickerFilter::DirectoryPickerFilter(ShouldEnable shouldEnable, QObject* parent)
    : QSortFilterProxyModel(parent), shouldEnable_(std::move(shouldEnable)) {}

Qt::ItemFlags DirectoryPickerFilter::flags(const QModelIndex& index) const {
  Qt::ItemFlags flags = QSortFilterProxyModel::flags(index);
  if (!shouldEnable_) return flags;
  const QString path = index.data(QFileSystemModel::FilePathRole).toString();
  if (!shouldEnable_(path.toStdString())) flags &= ~(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return flags;
}

}  // namespace kit
