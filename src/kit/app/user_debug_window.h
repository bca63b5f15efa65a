#pragma once

#include <QWidget>
#include <string>

#include "kit/ui/singleton_window_controller.h"
#include "platform/pasteboard/pasteboard.h"

class QPushButton;

namespace kit {

// The text that tells the user where the program's crash reports are and where to send them.
std::string crashLogInstructions();

// The user's troubleshooting screen: "Delete Data & Settings" (after a confirmation; then the program starts
// again), "Copy Debug Info", "Email Debug Info", "Send Crash Log" (how to find the crash reports), "Feedback &
// Support" (opens the feedback page and quits, when the page could be opened) and "Quit".
class UserDebugView : public QWidget {
  Q_OBJECT

 public:
  explicit UserDebugView(platform::Pasteboard& pasteboard = platform::generalPasteboard(), QWidget* parent = nullptr);

  // The button with that title.
  QPushButton* button(const std::string& title) const;
};

// The one user debug window, opened when the program starts with Shift, Super and Alt held: no close or minimise
// button, above other windows, in the middle of the screen, titled "<name> <version> — Debug".
class UserDebugWindowController : public SingletonWindowController {
  Q_OBJECT

 public:
  UserDebugWindowController();

  static void showWindow();
};

}  // namespace kit
