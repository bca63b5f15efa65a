#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <unordered_map>

#include "kit/foundation/foundation_helpers.h"
#include "kit/ui/window_presentation.h"
#include "platform/core/executor.h"

namespace kit {

// The owner of a window of which at most one exists per controller type: asking a type for its shared
// controller makes it (and its window) on first use and returns the same one until the window closes; after
// that the next request builds a new controller and window. Main thread only.
class SingletonWindowController : public QObject {
  Q_OBJECT

 public:
  // Takes the window, which is destroyed when it closes or with the controller. A close the window refuses leaves
  // both as they are.
  explicit SingletonWindowController(QWidget* window);
  ~SingletonWindowController() override;

  QWidget* window() const { return window_; }
  // Bring the application forward before showing the window (a tray application is never in front by itself).
  bool shouldActivateWindowWhenAppIsAccessory = true;

  // The one controller of type T, made with T's default constructor when there is none.
  template <class T>
  static T& shared() {
    auto& slot = instances()[HashableType::of<T>()];
    if (!slot) slot = std::make_unique<T>();
    return static_cast<T&>(*slot);
  }
  // Whether a controller of type T lives now.
  template <class T>
  static bool hasSharedInstance() {
    return instances().contains(HashableType::of<T>());
  }
  // Shows the window of the shared T, bringing the application forward first, from a task of its own.
  template <class T>
  static void showWindow(bool animated) {
    show(shared<T>(), animated);
  }

  // Forgets this controller (when it is the shared one of its type), which then goes away with its window; the next
  // request builds a new one. Called when the window has closed.
  virtual void removeSharedInstance();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The live controllers, one per controller type.
  static std::unordered_map<HashableType, std::unique_ptr<SingletonWindowController>>& instances();
  static void show(SingletonWindowController& controller, bool animated);

  QPointer<QWidget> window_;
  // A close was asked for in this turn of the event loop; the window hiding then means the close went through.
  bool isClosing_ = false;
};

}  // namespace kit
