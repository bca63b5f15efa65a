#pragma once

#include <vector>

#include "kit/ui/window_for_menu_bar_app.h"

class QTabBar;
class QVBoxLayout;

namespace app {

// The settings window: the tabs General, Shortcuts, Exclude and Extras. Every control stores its setting the
// moment it changes and follows changes made elsewhere. The window is 480 wide and as high as the current tab,
// and stays above ordinary windows. There is one at a time: it first comes up centred on the screen, and opened
// again in the same run, where it was when it closed. Main thread only.
class SettingsWindow : public kit::WindowForMenuBarApp {
  Q_OBJECT

 public:
  static constexpr int fixedWidth = 480;

  explicit SettingsWindow(QWidget* parent = nullptr);

  QTabBar* tabBar() const { return tabBar_; }
  QWidget* page(int index) const { return pages_.at(static_cast<size_t>(index)); }
  QWidget* currentPage() const;
  void setCurrentTab(int index);

  // The open window, if there is one.
  static SettingsWindow* current();
  // Opens the window, or brings the open one to the front.
  static SettingsWindow& open();

 protected:
  bool event(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void showTab(int index);
  void fitToCurrentTab();

  QTabBar* tabBar_;
  QVBoxLayout* pagesLayout_;
  std::vector<QWidget*> pages_;
  bool isPlaced_ = false;
};

// Makes every path that opens settings (the menu item, the start after a relaunch, the tray alert) open this one
// window.
void installSettingsWindow();

}  // namespace app
