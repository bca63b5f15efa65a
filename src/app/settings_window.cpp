#include "app/settings_window.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPoint>
#include <QTabBar>
#include <QVBoxLayout>
#include <optional>

#include "app/exclude_settings.h"
#include "app/extras_settings.h"
#include "app/general_settings.h"
#include "app/shortcut_settings.h"
#include "kit/app/relaunch.h"
#include "kit/ui/settings_tab_kind.h"
#include "kit/ui/singleton_window_controller.h"
#include "kit/ui/window_access.h"
#include "kit/ui/window_presentation.h"

namespace app {

namespace {

class SettingsWindowController : public kit::SingletonWindowController {
 public:
  SettingsWindowController() : SingletonWindowController(new SettingsWindow) {}
};

// Where the area inside the last settings window's frame was when it closed. The frame is the window manager's, and a
// new window learns its size only once it is shown: kept as a frame position, the window would come up higher by its
// title bar at every opening.
std::optional<QPoint>& lastPosition() {
  static std::optional<QPoint> position;
  return position;
}

}  // namespace

SettingsWindow::SettingsWindow(QWidget* parent) : kit::WindowForMenuBarApp(parent) {
  setWindowTitle(QStringLiteral("Quillet Settings"));

  tabBar_ = new QTabBar(this);
  tabBar_->setDocumentMode(true);
  tabBar_->setExpanding(false);
  tabBar_->setDrawBase(false);
  tabBar_->setIconSize(QSize(18, 18));
  auto* tabs = new QHBoxLayout;
  tabs->addStretch(1);
  tabs->addWidget(tabBar_);
  tabs->addStretch(1);

  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetNoConstraint);
  layout->setContentsMargins(0, 10, 0, 0);
  layout->setSpacing(0);
  layout->addLayout(tabs);
  pagesLayout_ = new QVBoxLayout;
  pagesLayout_->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(pagesLayout_);

  const std::pair<kit::SettingsTabKind, QWidget*> tabPages[] = {
      {kit::SettingsTabKind::general, makeGeneralSettings()},
      {kit::SettingsTabKind::shortcuts, makeShortcutsSettings()},
      {kit::SettingsTabKind::exclude, makeExcludeSettings()},
      {kit::SettingsTabKind::extras, makeExtrasSettings()},
  };
  for (const auto& [kind, page] : tabPages) {
    const kit::Label label = kit::label(kind);
    tabBar_->addTab(label.icon, label.title);
    page->setParent(this);
    page->hide();
    pagesLayout_->addWidget(page);
    pages_.push_back(page);
  }
  connect(tabBar_, &QTabBar::currentChanged, this, &SettingsWindow::showTab);
  showTab(0);
  kit::setHostingWindowLevel(*this, kit::WindowLevel::floating);
}

QWidget* SettingsWindow::currentPage() const { return page(tabBar_->currentIndex()); }

void SettingsWindow::setCurrentTab(int index) { tabBar_->setCurrentIndex(index); }

void SettingsWindow::showTab(int index) {
  // Only the current page is shown, so only it counts for the window's height.
  for (size_t i = 0; i < pages_.size(); ++i) {
    if (static_cast<int>(i) != index) pages_[i]->hide();
  }
  page(index)->show();
  tabBar_->setFocus(Qt::OtherFocusReason);
  fitToCurrentTab();
}

void SettingsWindow::fitToCurrentTab() {
  QLayout* layout = this->layout();
  const int height =
      layout->hasHeightForWidth() ? layout->totalHeightForWidth(fixedWidth) : layout->totalSizeHint().height();
  setFixedSize(fixedWidth, height);
}

bool SettingsWindow::event(QEvent* event) {
  // A row that grows or shrinks (a subtitle of another length, a note that appears) changes the tab's height.
  if (event->type() == QEvent::LayoutRequest) {
    const bool handled = QWidget::event(event);
    fitToCurrentTab();
    return handled;
  }
  return QWidget::event(event);
}

void SettingsWindow::showEvent(QShowEvent* event) {
  // Placed before it is first mapped; shown again (after a minimize) it stays where it is.
  if (!isPlaced_) {
    isPlaced_ = true;
    if (lastPosition()) {
      setGeometry(QRect(*lastPosition(), size()));
    } else {
      kit::centerOnScreen(*this);
    }
  }
  kit::WindowForMenuBarApp::showEvent(event);
}

void SettingsWindow::closeEvent(QCloseEvent* event) {
  lastPosition() = geometry().topLeft();
  kit::WindowForMenuBarApp::closeEvent(event);
}

SettingsWindow* SettingsWindow::current() {
  using Controller = kit::SingletonWindowController;
  if (!Controller::hasSharedInstance<SettingsWindowController>()) return nullptr;
  return static_cast<SettingsWindow*>(Controller::shared<SettingsWindowController>().window());
}

SettingsWindow& SettingsWindow::open() {
  kit::SingletonWindowController::showWindow<SettingsWindowController>(false);
  return *current();
}

void installSettingsWindow() {
  kit::setOpenSettingsHandler([] { SettingsWindow::open(); });
}

}  // namespace app
