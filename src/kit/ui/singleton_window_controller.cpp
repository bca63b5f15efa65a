#include "kit/ui/singleton_window_controller.h"

#include <QEvent>

#include "kit/foundation/alert.h"

namespace kit {

SingletonWindowController::SingletonWindowController(QWidget* window) : window_(window) {
  if (!window) return;
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->installEventFilter(this);
  connect(window, &QObject::destroyed, this, [this] { removeSharedInstance(); });
}

bool SingletonWindowController::eventFilter(QObject* watched, QEvent* event) {
  // The filter sees a close before the window answers it. A close the window accepts hides it at once, so the
  // instance is forgotten then and the next request already gets a new controller; a refused close leaves both.
  if (watched == window_ && event->type() == QEvent::Close && !isClosing_) {
    isClosing_ = true;
    QMetaObject::invokeMethod(
        this, [this] { isClosing_ = false; }, Qt::QueuedConnection);
  }
  if (watched == window_ && event->type() == QEvent::Hide && isClosing_) removeSharedInstance();
  return QObject::eventFilter(watched, event);
}

SingletonWindowController::~SingletonWindowController() {
  if (window_) {
    disconnect(window_, nullptr, this, nullptr);
    delete window_.data();
  }
}

std::unordered_map<HashableType, std::unique_ptr<SingletonWindowController>>& SingletonWindowController::instances() {
  // Never released: the windows must not outlive the application object at exit.
  static auto* registry = new std::unordered_map<HashableType, std::unique_ptr<SingletonWindowController>>;
  return *registry;
}

void SingletonWindowController::removeSharedInstance() {
  auto it = instances().find(HashableType::ofObject(*this));
  if (it == instances().end() || it->second.get() != this) return;
  it->second.release()->deleteLater();
  instances().erase(it);
}

void SingletonWindowController::show(SingletonWindowController& controller, bool animated) {
  QPointer<QWidget> window = controller.window();
  if (!window) return;
  // A tray application is never the active one by itself.
  if (controller.shouldActivateWindowWhenAppIsAccessory) activateApp();
  platform::spawn(platform::mainExecutor(), [window, animated]() -> platform::Task<void> {
    if (window)
      co_await kit::showWindow(*window, {.animated = animated,
                                         .makeKey = true,
                                         .duration = std::chrono::milliseconds(500),
                                         .delay = std::chrono::milliseconds(0),
                                         .timingFunction = defaultTimingCurve()});
  });
}

}  // namespace kit
