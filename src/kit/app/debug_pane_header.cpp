#include "kit/app/debug_pane_header.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QToolButton>

namespace kit {

QLabel* makeDebugPaneTitle(const std::string& title, QWidget* parent) {
  auto* heading = new QLabel(QString::fromStdString(title), parent);
  QFont font = heading->font();
  font.setBold(true);
  font.setPointSizeF(font.pointSizeF() * 1.4);
  heading->setFont(font);
  return heading;
}

DebugPaneHeader::DebugPaneHeader(const std::string& title, bool hasEntries, std::function<void()> copy,
                                 std::function<void()> clear, QWidget* parent)
    : QWidget(parent) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(makeDebugPaneTitle(title, this));
  layout->addStretch(1);

  auto* button = new QToolButton(this);
  button->setText("Action");
  button->setIcon(QIcon::fromTheme("view-more-symbolic", QIcon::fromTheme("open-menu")));
  button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  button->setPopupMode(QToolButton::InstantPopup);
  button->setStyleSheet("QToolButton::menu-indicator { image: none; }");
  actionMenu_ = new QMenu(button);
  QAction* copyAction = actionMenu_->addAction("Copy", std::move(copy));
  actionMenu_->addSeparator();
  QAction* clearAction = actionMenu_->addAction("Clear", std::move(clear));
  clearAction->setIcon(QIcon::fromTheme("edit-delete"));
  copyAction->setEnabled(hasEntries);
  clearAction->setEnabled(hasEntries);
  button->setMenu(actionMenu_);
  layout->addWidget(button);
}

}  // namespace kit
