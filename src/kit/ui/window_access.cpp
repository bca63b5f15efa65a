#include "kit/ui/window_access.h"

#include <QEvent>
#include <QWidget>

namespace kit {

namespace {

// Changing the flags of a shown window hides it; it is shown again in the same place.
void changeWindowFlags(QWidget& window, const std::function<Qt::WindowFlags(Qt::WindowFlags)>& change) {
  const Qt::WindowFlags flags = change(window.windowFlags());
  if (flags == window.windowFlags()) return;
  const bool wasVisible = window.isVisible();
  window.setWindowFlags(flags);
  if (wasVisible) window.show();
}

}  // namespace

WindowAccessor::WindowAccessor(QWidget& content, std::function<void(QWidget*)> onWindow)
    : QObject(&content), content_(&content), onWindow_(std::move(onWindow)) {
  content.installEventFilter(this);
  report();
}

bool WindowAccessor::eventFilter(QObject* watched, QEvent* event) {
  if (watched == content_ && (event->type() == QEvent::ParentChange || event->type() == QEvent::Show)) report();
  return false;
}

void WindowAccessor::report() {
  QWidget* window = content_->window();
  if (window == window_) return;
  window_ = window;
  onWindow_(window);
}

void setHostingWindowLevel(QWidget& content, WindowLevel level) {
  new WindowAccessor(content, [level](QWidget* window) { setWindowLevel(*window, level); });
}

void setWindowIsMinimizable(QWidget& content, bool isMinimizable) {
  new WindowAccessor(content, [isMinimizable](QWidget* window) {
    changeWindowFlags(*window, [isMinimizable](Qt::WindowFlags flags) {
      // The buttons are chosen one by one only once the window asks for its own set; start from the usual one.
      if (!flags.testFlag(Qt::CustomizeWindowHint)) {
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                 Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint;
      }
      return flags.setFlag(Qt::WindowMinimizeButtonHint, isMinimizable);
    });
  });
}

}  // namespace kit
