#pragma once

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <functional>
#include <memory>
#include <vector>

#include "kit/ui/sharing_service.h"

namespace kit {

// A value of the program that knows what to share for it.
class ShareItem {
 public:
  virtual ~ShareItem() = default;
  virtual ShareObject shareObject() const = 0;
};

// A menu "Share" that fills itself, each time it opens, with the sharing services that can handle the items of
// the moment: the preferred services first, then a separator and all of them, each under its title as written. The
// items come from the class-wide providers, else from `shareItems` filled by the caller. Main thread only.
class ShareMenu : public QMenu {
  Q_OBJECT

 public:
  explicit ShareMenu(QWidget* parent = nullptr);

  // The items of the current sharing; emptied after a service was chosen.
  SharingService::Items shareItems;

  // Program values to share, each turned into what is shared (not kept in shareItems).
  static std::function<std::vector<std::shared_ptr<const ShareItem>>()> itemsProvider;
  // The objects to share themselves (kept in shareItems).
  static std::function<SharingService::Items()> shareItemsProvider;
  // Services to list first, those that can handle the items.
  static std::function<std::vector<SharingService>()> preferredServicesProvider;

  // Rebuilds the items, unless the menu sits under a disabled item of another menu.
  void menuNeedsUpdate();
  // What choosing a service runs: the service shares shareItems, else the objects of shareItemsProvider, else those
  // of itemsProvider's values; then shareItems empties.
  void actionHandler(const QAction& sender);

 private:
  friend class ShareMenuItem;
  // The item of another menu that holds this menu, when it is not the menu's own action.
  QAction* holdingItem_ = nullptr;
  std::vector<SharingService> shownServices_;
};

// An item of another menu with a share menu under it; its title is shown as written.
class ShareMenuItem : public QAction {
  Q_OBJECT

 public:
  explicit ShareMenuItem(const QString& title, QObject* parent = nullptr);
  ShareMenu* shareMenu() const { return menu_.get(); }

 private:
  std::unique_ptr<ShareMenu> menu_;
};

// A push button "Share" that opens the share menu (one menu for all share buttons) just under itself as soon as
// the mouse button goes down.
class ShareButton : public QPushButton {
  Q_OBJECT

 public:
  explicit ShareButton(QWidget* parent = nullptr);
  static ShareMenu& menu();
};

// A toolbar button "Share" with a share menu of its own, without a menu arrow.
class ShareToolbarItem : public QToolButton {
  Q_OBJECT

 public:
  explicit ShareToolbarItem(QWidget* parent = nullptr);
  ShareMenu* shareMenu() const { return menu_; }

 private:
  ShareMenu* menu_;
};

}  // namespace kit
