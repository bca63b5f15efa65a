#pragma once

#include <functional>

namespace kit {

// Keeps a piece of main-thread work from running inside itself. Work that waits in a nested event loop (reading
// another client's clipboard does) can be asked to run again from that loop: such a call does not nest but asks
// for one more run right after the running one ends, however often it was asked meanwhile. Each owner holds its
// own guard.
class ReentrancyGuard {
 public:
  // Runs `work` now, or, while a run is in progress, marks that one more run is due and returns at once.
  void run(const std::function<void()>& work);
  bool isRunning() const { return isRunning_; }

 private:
  bool isRunning_ = false;
  bool runAgain_ = false;
};

}  // namespace kit
