#include "kit/foundation/reentrancy_guard.h"

namespace kit {

void ReentrancyGuard::run(const std::function<void()>& work) {
  if (isRunning_) {
    runAgain_ = true;
    return;
  }
  isRunning_ = true;
  // A run that throws still ends the guarded state; the runs it asked for are dropped with it.
  struct End {
    ReentrancyGuard& guard;
    ~End() { guard.isRunning_ = guard.runAgain_ = false; }
  } end{*this};
  do {
    runAgain_ = false;
    work();
  } while (runAgain_);
}

}  // namespace kit
