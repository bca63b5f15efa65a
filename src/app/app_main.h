#pragma once

namespace kit {
class ZvKit;
}

namespace app {

// The application's delegate: what happens when the running program is launched again.
class AppDelegate {
 public:
  // Reveals the status item (MenuBarController::revealStatusItem()). Opens no window; always answers false.
  bool applicationShouldHandleReopen(bool hasVisibleWindows);
};

// The running application: the kit (started when this is made), the delegate and, once run() starts, the
// shared state. Main thread, after the Qt application exists and this process owns the bus name, so that a
// launch that only reopens the running instance counts nothing.
class AppMain {
 public:
  explicit AppMain(AppDelegate& appDelegate);
  // Makes the shared state and runs the event loop; answers the exit status.
  int run();

  AppDelegate& appDelegate() { return appDelegate_; }

 private:
  kit::ZvKit& zvkit_;
  AppDelegate& appDelegate_;
};

}  // namespace app
