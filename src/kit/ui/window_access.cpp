#include "kit/ui/window_access.h"

#include <QDialog>
#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <QWindowStateChangeEvent>
#include <memory>
#include <utility>

#include "kit/foundation/alert.h"
#include "platform/core/continuation.h"

namespace kit {

WindowAccessor::WindowAccessor(QWidget& content, std::function<void(QWidget*)> onWindow)
    : QObject(&content), content_(&content), onWindow_(std::move(onWindow)) {
  followAncestors();
  report();
}

bool WindowAccessor::eventFilter(QObject* /*watched*/, QEvent* event) {
  switch (event->type()) {
    case QEvent::ParentChange:
      followAncestors();
      report();
      break;
    case QEvent::Show:
    case QEvent::Hide:
      report();
      break;
    default:
      break;
  }
  return false;
}

void WindowAccessor::followAncestors() {
  for (const QPointer<QWidget>& ancestor : ancestors_)
    if (ancestor) ancestor->removeEventFilter(this);
  ancestors_.clear();
  for (QWidget* widget = content_; widget != nullptr; widget = widget->parentWidget()) {
    widget->installEventFilter(this);
    ancestors_.emplace_back(widget);
  }
}

void WindowAccessor::report() {
  // A closure that changes the window's flags hides and shows it again on the way: what counts is where the content
  // is once the closure is done.
  if (isReporting_) return;
  isReporting_ = true;
  for (;;) {
    QWidget* top = content_->window();
    QWidget* window = top->isVisible() || top->parentWidget() != nullptr ? top : nullptr;
    if (hasReported_ && window == window_) break;
    hasReported_ = true;
    window_ = window;
    onWindow_(window);
  }
  isReporting_ = false;
}

WindowResizeObserver::WindowResizeObserver(QWidget& content, std::function<void()> onResize)
    : QObject(&content), onResize_(std::move(onResize)) {
  new WindowAccessor(content, [this](QWidget* window) {
    if (window_) window_->removeEventFilter(this);
    window_ = window;
    if (window) window->installEventFilter(this);
  });
}

bool WindowResizeObserver::eventFilter(QObject* watched, QEvent* event) {
  if (watched != window_) return false;
  if (event->type() == QEvent::Resize) onResize_();
  if (event->type() == QEvent::WindowStateChange && window_->isFullScreen() &&
      !static_cast<QWindowStateChangeEvent*>(event)->oldState().testFlag(Qt::WindowFullScreen))
    onResize_();
  return false;
}

void beginPanel(QDialog& panel, QWidget* window, std::function<void(int)> done) {
  activateApp();
  // The result is passed on once: when the panel ends, or as a cancel when it goes away first.
  auto pending = std::make_shared<std::function<void(int)>>(std::move(done));
  auto finish = [pending](int result) {
    if (auto callback = std::exchange(*pending, nullptr)) callback(result);
  };
  QObject::connect(&panel, &QDialog::finished, &panel, finish);
  QObject::connect(&panel, &QObject::destroyed, [finish] { finish(QDialog::Rejected); });
  if (window) {
    if (panel.parentWidget() != window) panel.setParent(window, panel.windowFlags() | Qt::Dialog);
    centerOver(panel, *window);
    panel.setWindowModality(Qt::WindowModal);
  } else {
    // Free-standing: it blocks nothing, and stays above our floating windows.
    panel.setWindowModality(Qt::NonModal);
    setWindowLevel(panel, WindowLevel::floating);
  }
  // Not open(): orderFront brings a minimised window back before the sheet on it is mapped.
  orderFront(panel);
}

platform::Task<int> beginPanel(QDialog& panel, QWidget* window) {
  auto start = [shown = QPointer<QDialog>(&panel),
                window = QPointer<QWidget>(window)](const platform::Continuation<int>& done) {
    if (!shown) return done.resume(QDialog::Rejected);
    beginPanel(*shown, window, [done](int result) { done.resume(result); });
  };
  co_return co_await platform::withContinuation<int>("begin(window:)", start);
}

void setHostingWindowLevel(QWidget& content, WindowLevel level) {
  new WindowAccessor(content, [level](QWidget* window) {
    if (window) setWindowLevel(*window, level);
  });
}

void setWindowIsMinimizable(QWidget& content, bool isMinimizable) {
  new WindowAccessor(content, [isMinimizable](QWidget* window) {
    if (!window) return;
    // Qt fills in the buttons of the window's kind, a dialog's differing from a plain window's; asking for them one
    // by one keeps that set and changes only the minimize button.
    Qt::WindowFlags flags = window->windowFlags() | Qt::CustomizeWindowHint;
    changeWindowFlags(*window, flags.setFlag(Qt::WindowMinimizeButtonHint, isMinimizable));
  });
}

}  // namespace kit
