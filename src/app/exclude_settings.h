#pragma once

#include <QListWidget>
#include <QUrl>
#include <memory>
#include <vector>

#include "kit/foundation/bundle_identifier.h"
#include "kit/preferences/observable.h"

class QLabel;
class QMimeData;
class QToolButton;

namespace app {

// The files a drop carries, in its order; anything that is not a local file is passed over.
std::vector<QUrl> loadURLs(const QMimeData& data);

// The ids of the applications among dropped files: desktop files of applications, each by the id it is installed
// under (its file name without ".desktop" when it lies elsewhere). Everything else is passed over.
std::vector<kit::BundleIdentifier> applicationsAmong(const std::vector<QUrl>& files);

// The list of excluded applications. It takes drops of addresses, outlines itself while one hovers over it and hands
// the applications among their files to `onDrop`; a drag that carries no address is refused.
class ExcludedAppsList : public QListWidget {
  Q_OBJECT

 public:
  explicit ExcludedAppsList(QWidget* parent = nullptr);

  std::function<void(std::vector<kit::BundleIdentifier>)> onDrop;
  bool isDropTargeted() const { return isDropTargeted_; }

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void setDropTargeted(bool targeted);

  bool isDropTargeted_ = false;
};

// The Exclude tab: the applications in which copies are never cleaned automatically, with their icons and names
// (an application no longer installed shows its id and the generic icon), added through the chooser of installed
// applications or by dropping their desktop files on the list, removed with "Remove App" or the Delete key. Every
// change is stored at once, and the list follows changes made elsewhere. Main thread only.
class ExcludeSettings : public QWidget {
  Q_OBJECT

 public:
  explicit ExcludeSettings(QWidget* parent = nullptr);

  ExcludedAppsList* list() const { return list_; }
  QToolButton* addButton() const { return add_; }
  QToolButton* removeButton() const { return remove_; }
  QLabel* noAppsLabel() const { return noApps_; }
  QWidget* tip() const { return tip_; }
  QLabel* footer() const { return footer_; }

  // Appends the ids after the stored ones; an id that is there already keeps its place.
  void addApps(const std::vector<kit::BundleIdentifier>& ids);
  // Removes every occurrence of the selected ids.
  void removeSelectedApps();

 private:
  void showApps();
  void chooseApps();

  ExcludedAppsList* list_;
  QLabel* noApps_;
  QToolButton* add_;
  QToolButton* remove_;
  QWidget* tip_;
  QLabel* footer_;
  std::shared_ptr<kit::Preferences::Observable<std::vector<kit::BundleIdentifier>>> excludedApps_;
  platform::rx::AnyCancellable changes_;
};

// The Exclude tab.
QWidget* makeExcludeSettings();

}  // namespace app
