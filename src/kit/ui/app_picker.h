#pragma once

#include <QDialog>
#include <QSortFilterProxyModel>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/url/url.h"

class QListWidget;
class QPushButton;

namespace kit {

class SearchField;

// The desktop's applications folder that every user shares, worked out once: the first applications folder of the
// shared data folders ($XDG_DATA_DIRS) that exists, else /usr/share/applications.
const std::filesystem::path& applicationsDirectory();

// The chooser of installed applications: the desktop's application entries (icon and name, sorted by name, those
// that ask not to be listed left out), narrowed by a search field, and "Other…", which chooses an application's
// desktop file anywhere, starting from applicationsDirectory(). Our own application shows greyed out in both and is
// never chosen. Main thread only.
class AppPickerDialog : public QDialog {
  Q_OBJECT

 public:
  // Checks one chosen application by its desktop file; a kit::Error it throws is shown and keeps the chooser open.
  using Validate = std::function<void(const platform::Url& url)>;

  AppPickerDialog(bool allowsMultipleSelection, Validate validate, QWidget* parent = nullptr);

  QListWidget* list() const { return list_; }
  SearchField* searchField() const { return search_; }
  QPushButton* chooseButton() const { return choose_; }
  QPushButton* otherButton() const { return other_; }

  // The ids of the chosen applications, in list order, without repeats or our own; empty until chosen.
  const std::vector<std::string>& chosen() const { return chosen_; }

 private:
  void filter(const std::string& text);
  void choose();
  // Opens the file chooser for a desktop file that is not listed.
  void chooseFiles();
  // Chooses these applications, each by its id and its desktop file, once each is an application the check takes;
  // otherwise tells why and stays open.
  void chooseApplications(std::vector<std::string> ids, const std::vector<std::optional<platform::Url>>& locations);

  bool allowsMultipleSelection_;
  Validate validate_;
  QListWidget* list_;
  SearchField* search_;
  QPushButton* choose_;
  QPushButton* other_;
  std::vector<std::string> chosen_;
};

namespace AppPicker {

// Opens the chooser, as a sheet on `window` when given (see beginPanel), and hands the ids of the chosen
// applications to `completion`: none when it was cancelled. Without a window it stays above other windows only in a
// tray application (one that shows no normal window), which is never in front by itself.
void pick(bool allowsMultipleSelection, QWidget* window, AppPickerDialog::Validate validate,
          std::function<void(std::vector<std::string>)> completion);

}  // namespace AppPicker

// A filter for a file or folder chooser (a QFileDialog that is not the desktop's own, given it as proxy model): the
// items `shouldEnable` refuses show greyed out and cannot be chosen. Without a test every item is enabled.
class DirectoryPickerFilter : public QSortFilterProxyModel {
  Q_OBJECT

 public:
  using ShouldEnable = std::function<bool(const std::string& path)>;
  explicit DirectoryPickerFilter(ShouldEnable shouldEnable = {}, QObject* parent = nullptr);

  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  ShouldEnable shouldEnable_;
};

}  // namespace kit
