#pragma once

#include <QWidget>

namespace kit {

// Closes the window as its close button would; only beeps when the window has no close button.
void performClose(QWidget& window);

// A top-level window of a tray application, which has no main menu to close or minimise it: exactly Ctrl+W
// closes it (when it has a close button) and exactly Ctrl+M minimises it, on any keyboard layout. Titled,
// closable, minimisable and resizable, 100 × 100 until its content says otherwise.
class WindowForMenuBarApp : public QWidget {
  Q_OBJECT

 public:
  explicit WindowForMenuBarApp(QWidget* parent = nullptr);

  // Escape closes the window; when false, Escape does nothing (it never reaches the content).
  bool shouldCloseOnEscapePress = false;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

// The same for a utility panel (a tool window), where Escape keeps its usual meaning for the content.
class PanelForMenuBarApp : public QWidget {
  Q_OBJECT

 public:
  explicit PanelForMenuBarApp(QWidget* parent = nullptr);
};

}  // namespace kit
