#include "kit/ui/share_menu.h"

#include "kit/foundation/verbatim_title.h"
#include "kit/ui/symbol_icons.h"

namespace kit {

std::function<std::vector<std::shared_ptr<const ShareItem>>()> ShareMenu::itemsProvider;
std::function<SharingService::Items()> ShareMenu::shareItemsProvider;
std::function<std::vector<SharingService>()> ShareMenu::preferredServicesProvider;

namespace {

constexpr const char* serviceIndexProperty = "kit.shareServiceIndex";

SharingService::Items providedObjects() {
  SharingService::Items objects;
  for (const auto& item : ShareMenu::itemsProvider())
    if (item) objects.push_back(item->shareObject());
  return objects;
}

}  // namespace

ShareMenu::ShareMenu(QWidget* parent) : QMenu(QStringLiteral("Share"), parent) {
  // The leading separator and the two in a row around the preferred services are drawn, not collapsed.
  setSeparatorsCollapsible(false);
  connect(this, &QMenu::aboutToShow, this, &ShareMenu::menuNeedsUpdate);
}

void ShareMenu::menuNeedsUpdate() {
  const QAction* holder = holdingItem_ != nullptr ? holdingItem_ : menuAction();
  if (!holder->associatedObjects().isEmpty() && !holder->isEnabled()) return;

  SharingService::Items items;
  if (itemsProvider) {
    items = providedObjects();
  } else if (shareItemsProvider) {
    items = shareItemsProvider();
    shareItems = items;
  } else {
    items = shareItems;
  }

  clear();
  shownServices_.clear();
  addSeparator();
  if (preferredServicesProvider) {
    for (SharingService& service : preferredServicesProvider())
      if (service.canPerformWithItems(items)) shownServices_.push_back(std::move(service));
  }
  const size_t preferredCount = shownServices_.size();
  for (SharingService& service : SharingService::sharingServices(items)) shownServices_.push_back(std::move(service));

  for (size_t i = 0; i < shownServices_.size(); ++i) {
    if (i == preferredCount) addSeparator();
    const SharingService& service = shownServices_[i];
    QAction* action = addAction(service.image(), verbatimTitle(service.title()));
    action->setProperty(serviceIndexProperty, static_cast<qulonglong>(i));
    connect(action, &QAction::triggered, this, [this, action] { actionHandler(*action); });
  }
  if (shownServices_.size() == preferredCount) addSeparator();
  // Nothing to share: the menu says so rather than opening empty.
  if (shownServices_.empty()) addAction(QStringLiteral("Nothing to Share"))->setEnabled(false);
}

void ShareMenu::actionHandler(const QAction& sender) {
  const QVariant index = sender.property(serviceIndexProperty);
  if (!index.isValid() || index.toULongLong() >= shownServices_.size()) return;
  const SharingService service = shownServices_[index.toULongLong()];
  SharingService::Items items = shareItems;
  if (items.empty() && shareItemsProvider) items = shareItemsProvider();
  // The program's values are not kept: the service gets what they stand for now.
  if (items.empty() && itemsProvider) items = providedObjects();
  service.performWithItems(items);
  shareItems.clear();
}

ShareMenuItem::ShareMenuItem(const QString& title, QObject* parent)
    : QAction(verbatimTitle(title), parent), menu_(std::make_unique<ShareMenu>()) {
  menu_->holdingItem_ = this;
  setMenu(menu_.get());
}

ShareButton::ShareButton(QWidget* parent) : QPushButton(QStringLiteral("Share"), parent) {
  setIcon(symbolIcon("square.and.arrow.up"));
  adjustSize();
  connect(this, &QPushButton::pressed, this, [this] {
    menu().popup(mapToGlobal(QPoint(0, height() + 4)));
    setDown(false);
  });
}

ShareMenu& ShareButton::menu() {
  static auto* shared = new ShareMenu;  // lives for the application
  return *shared;
}

ShareToolbarItem::ShareToolbarItem(QWidget* parent) : QToolButton(parent), menu_(new ShareMenu(this)) {
  setText(QStringLiteral("Share"));
  setIcon(symbolIcon("square.and.arrow.up"));
  setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  setMenu(menu_);
  setPopupMode(QToolButton::InstantPopup);
  setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; width: 0; }"));
}

}  // namespace kit
