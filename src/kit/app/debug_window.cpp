#include "kit/app/debug_window.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "kit/app/data_reset.h"
#include "kit/app/debug_info.h"
#include "kit/app/debug_log_screen.h"
#include "kit/app/debug_pane_header.h"
#include "kit/app/debug_settings_screen.h"
#include "kit/app/debug_user_defaults_screen.h"
#include "kit/ui/button_roles.h"
#include "kit/ui/link_copy.h"
#include "kit/ui/window_for_menu_bar_app.h"
#include "kit/ui/window_presentation.h"

namespace kit {

namespace {

constexpr QSize minimumWindowSize{800, 400};

enum Pane { dashboard, userPreferences, logs, settings };

QWidget* makeDashboard(platform::Pasteboard& pasteboard) {
  auto* pane = new QWidget;
  auto* layout = new QVBoxLayout(pane);
  layout->addWidget(makeDebugPaneTitle("Debug", pane));

  auto* copySection = new QGroupBox(pane);
  auto* copyLayout = new QVBoxLayout(copySection);
  auto* copy = new QPushButton("Copy Debug Info", copySection);
  copy->setMinimumHeight(copy->sizeHint().height() * 3 / 2);
  QObject::connect(copy, &QPushButton::clicked, copy, [&pasteboard] { copyDebugInfo(pasteboard); });
  copyLayout->addWidget(copy, 0, Qt::AlignLeft);
  layout->addWidget(copySection);

  auto* deleteSection = new QGroupBox(pane);
  auto* deleteLayout = new QVBoxLayout(deleteSection);
  auto* deleteData = new QPushButton("Delete App Data", deleteSection);
  QFont small = deleteData->font();
  small.setPointSizeF(small.pointSizeF() * 0.85);
  deleteData->setFont(small);
  markDestructive(*deleteData);
  QObject::connect(deleteData, &QPushButton::clicked, deleteData, [] { deleteSettingsAndDataAndRelaunch(); });
  deleteLayout->addWidget(deleteData, 0, Qt::AlignLeft);
  layout->addWidget(deleteSection);
  layout->addStretch(1);
  return pane;
}

}  // namespace

void copyDebugInfo(platform::Pasteboard& pasteboard) { copyText(pasteboard, DebugInfo::debugInfoText()); }

DebugScreen::DebugScreen(platform::Pasteboard& pasteboard, QWidget* parent) : QWidget(parent), pasteboard_(pasteboard) {
  auto* layout = new QHBoxLayout(this);
  sidebar_ = new QListWidget(this);
  sidebar_->addItems({"Dashboard", "User Preferences", "Logs", "Settings"});
  sidebar_->setSpacing(3);
  sidebar_->setFixedWidth(sidebar_->sizeHintForColumn(0) + 40);
  layout->addWidget(sidebar_);
  connect(sidebar_, &QListWidget::currentRowChanged, this, &DebugScreen::showPane);
  setMinimumSize(minimumWindowSize);
  sidebar_->setCurrentRow(dashboard);
}

void DebugScreen::showPane(int row) {
  QWidget* next = nullptr;
  switch (row) {
    case userPreferences:
      next = new DebugUserDefaultsScreen(pasteboard_);
      break;
    case logs:
      next = new DebugLogScreen(pasteboard_);
      break;
    case settings:
      next = new DebugSettingsScreen;
      break;
    default:
      next = makeDashboard(pasteboard_);
      break;
  }
  if (pane_) {
    delete layout()->replaceWidget(pane_, next);  // the old layout item is ours to free
    delete pane_;
  } else {
    static_cast<QHBoxLayout*>(layout())->addWidget(next, 1);
  }
  pane_ = next;
  static const QStringList titles{"Debug", "User Preferences", "Logs", "Settings"};
  Q_EMIT titleChanged(titles.value(row, titles.first()));
}

DebugWindowController::DebugWindowController() : SingletonWindowController(new WindowForMenuBarApp) {
  QWidget& frame = *window();
  auto* layout = new QVBoxLayout(&frame);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* screen = new DebugScreen;
  frame.setWindowTitle("Debug");
  connect(screen, &DebugScreen::titleChanged, &frame, &QWidget::setWindowTitle);
  layout->addWidget(screen);
  setWindowLevel(frame, WindowLevel::utility);
  frame.resize(frame.sizeHint().expandedTo(minimumWindowSize));
  // A little above the middle of the available area, which may start right of or below a panel.
  if (QScreen* screen = frame.screen()) {
    const QRect area = screen->availableGeometry();
    const QSize size = frame.frameGeometry().size();
    frame.move(area.x() + (area.width() - size.width()) / 2,
               area.y() + (area.height() - size.height()) / 2 - area.height() * 12 / 100);
  }
}

void DebugWindowController::showWindow() { SingletonWindowController::showWindow<DebugWindowController>(false); }

}  // namespace kit
