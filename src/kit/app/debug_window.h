#pragma once

#include <QWidget>

#include "kit/ui/singleton_window_controller.h"
#include "platform/pasteboard/pasteboard.h"

class QListWidget;
class QStackedWidget;

namespace kit {

// Puts the debug-info text on the clipboard, marked as copied by this application.
void copyDebugInfo(platform::Pasteboard& pasteboard = platform::generalPasteboard());

// The developer debug screen: a sidebar with "Dashboard", "User Preferences", "Logs" and "Settings", and the chosen
// pane (the dashboard at first), built anew each time it is chosen. The dashboard copies the debug information and
// deletes the application's data ("Delete App Data", without asking) before relaunching; the settings are the
// developer switches.
class DebugScreen : public QWidget {
  Q_OBJECT

 public:
  explicit DebugScreen(platform::Pasteboard& pasteboard = platform::generalPasteboard(), QWidget* parent = nullptr);

  QListWidget* sidebar() const { return sidebar_; }
  // The pane shown now.
  QWidget* pane() const { return pane_; }

 Q_SIGNALS:
  // The title of the pane now shown, which the window takes as its own.
  void titleChanged(const QString& title);

 private:
  void showPane(int row);

  platform::Pasteboard& pasteboard_;
  QListWidget* sidebar_ = nullptr;
  QWidget* pane_ = nullptr;
};

// The one developer debug window: at least 800 × 400, above other windows, placed a little above the middle of
// its screen's available area.
class DebugWindowController : public SingletonWindowController {
  Q_OBJECT

 public:
  DebugWindowController();

  // Brings the application forward and shows the window (the status menu's "Debug" item).
  static void showWindow();
};

}  // namespace kit
