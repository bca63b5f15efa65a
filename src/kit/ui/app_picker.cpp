#include "kit/ui/app_picker.h"

#include <QApplication>
#include <QCollator>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "kit/foundation/general_error.h"
#include "kit/foundation/sequence_utilities.h"
#include "kit/foundation/url_resource_values.h"
#include "kit/foundation/zv_app.h"
#include "kit/ui/error_sheet.h"
#include "kit/ui/native_text_field.h"
#include "kit/ui/symbol_icons.h"
#include "kit/ui/window_access.h"
#include "platform/system/desktop_entry.h"

namespace kit {

namespace {

constexpr int idRole = Qt::UserRole;
constexpr int pathRole = Qt::UserRole + 1;
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

// Whether the program shows in no task bar: none of its shown windows is a normal one.
bool isAccessoryApplication() {
  const QWidgetList windows = QApplication::topLevelWidgets();
  return std::none_of(windows.begin(), windows.end(),
                      [](const QWidget* window) { return window->isVisible() && window->windowType() == Qt::Window; });
}

}  // namespace

const std::filesystem::path& applicationsDirectory() {
  static const std::filesystem::path folder = [] {
    for (const auto& shared : platform::DesktopEntries::sharedApplicationFolders()) {
      std::error_code ignored;
      if (std::filesystem::is_directory(shared, ignored)) return shared;
    }
    return std::filesystem::path("/usr/share/applications");
  }();
  return folder;
}

AppPickerDialog::AppPickerDialog(bool allowsMultipleSelection, Validate validate, QWidget* parent)
    : QDialog(parent), allowsMultipleSelection_(allowsMultipleSelection), validate_(std::move(validate)) {
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
    item->setData(pathRole, QString::fromStdString(entry.path.string()));
    item->setToolTip(QString::fromStdString(entry.id));
    if (entry.id == ZvApp::id()) item->setFlags(item->flags() & ~(Qt::ItemIsEnabled | Qt::ItemIsSelectable));
  }

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
  choose_ = buttons->addButton(QStringLiteral("Choose"), QDialogButtonBox::AcceptRole);
  choose_->setDefault(true);
  choose_->setEnabled(false);
  other_ = buttons->addButton(QStringLiteral("Other…"), QDialogButtonBox::ActionRole);
  connect(other_, &QPushButton::clicked, this, &AppPickerDialog::chooseFiles);
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
  std::vector<std::optional<platform::Url>> locations;
  for (int row = 0; row < list_->count(); ++row) {
    QListWidgetItem* item = list_->item(row);
    if (!item->isSelected() || item->isHidden()) continue;
    ids.push_back(item->data(idRole).toString().toStdString());
    locations.push_back(platform::Url::fileUrl(item->data(pathRole).toString().toStdString()));
  }
  chooseApplications(std::move(ids), locations);
}

void AppPickerDialog::chooseFiles() {
  auto* files =
      new QFileDialog(this, QStringLiteral("Choose"), QString::fromStdString(applicationsDirectory().string()),
                      QStringLiteral("Applications (*.desktop)"));
  files->setAttribute(Qt::WA_DeleteOnClose);
  files->setFileMode(allowsMultipleSelection_ ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
  files->setLabelText(QFileDialog::Accept, QStringLiteral("Choose"));
  // Our own desktop file shows greyed out, as it does in the list; the desktop's own chooser would take no filter.
  files->setOption(QFileDialog::DontUseNativeDialog);
  files->setProxyModel(new DirectoryPickerFilter(
      [own = ZvApp::id() + ".desktop"](const std::string& path) {
        return std::filesystem::path(path).filename() != own;
      },
      files));
  connect(files, &QFileDialog::filesSelected, this, [this](const QStringList& paths) {
    std::vector<std::string> ids;
    std::vector<std::optional<platform::Url>> locations;
    for (const QString& path : paths) {
      const auto entry = platform::readDesktopEntryFile(path.toStdString());
      ids.push_back(entry ? entry->id : std::string());
      locations.push_back(platform::Url::fileUrl(path.toStdString()));
    }
    chooseApplications(std::move(ids), locations);
  });
  files->open();
}

void AppPickerDialog::chooseApplications(std::vector<std::string> ids,
                                         const std::vector<std::optional<platform::Url>>& locations) {
  if (ids.empty()) return;
  for (size_t index = 0; index < ids.size(); ++index) {
    try {
      // A listed entry may have gone or changed since the list was made; a file may be no application's entry.
      if (!locations[index] || !resourceValue<bool>(*locations[index], UrlResourceKey::isApplication).value_or(false))
        throw appError("The selected item is not an app.", "Please select an app.");
      if (validate_) validate_(*locations[index]);
    } catch (const Error& error) {
      presentAsModal(error, this);
      return;
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
  beginPanel(
      *dialog, window,
      [dialog, completion = std::move(completion)](int result) {
        completion(result == QDialog::Accepted ? dialog->chosen() : std::vector<std::string>());
      },
      isAccessoryApplication() ? WindowLevel::floating : WindowLevel::normal);
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
