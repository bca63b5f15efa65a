#pragma once

namespace app {

// Owns the status item and starts the cleaning engine. Built in AppState; start() runs on the main queue
// before the application's launch step.
class MenuBarController {
 public:
  // Queues start() on the main queue.
  MenuBarController();
  MenuBarController(const MenuBarController&) = delete;
  MenuBarController& operator=(const MenuBarController&) = delete;

  // Starts the engine and shows the status item.
  void start();

  // Shows the status item (making it when it does not exist yet).
  void showStatusItem();
  // Hides the status item again when "hideMenuBarIcon" is on at this moment.
  void hideStatusItemIfNeeded();
  bool isStatusItemVisible() const { return statusItemVisible_; }

 private:
  bool statusItemVisible_ = false;
};

}  // namespace app
