#pragma once

#include <QObject>
#include <functional>

#include "kit/foundation/binding.h"

class QWidget;

namespace kit {

// Reports when a widget comes on screen and leaves it: shown with its window, its tab page chosen, and hidden,
// closed or minimized again. Lives as long as the widget. Main thread only.
class OnScreenTracker : public QObject {
  Q_OBJECT

 public:
  struct Callbacks {
    std::function<void()> onAppear;
    std::function<void()> onDisappear;
    // Called with true on appearing and false on disappearing, before the two above.
    std::function<void(bool)> onChange;
  };

  OnScreenTracker(QWidget& widget, Callbacks callbacks);

  bool isOnScreen() const { return isOnScreen_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void report(bool onScreen);

  QWidget* widget_;
  Callbacks callbacks_;
  bool isOnScreen_ = false;
};

// Calls `action` with true when the widget comes on screen and with false when it leaves.
OnScreenTracker* onScreenChange(QWidget& widget, std::function<void(bool)> action);
// Writes whether the widget is on screen into `isOnScreen` each time that changes.
OnScreenTracker* bindIsOnScreen(QWidget& widget, Binding<bool> isOnScreen);

}  // namespace kit
