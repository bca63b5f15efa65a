#include "kit/ui/window_access.h"

#include <QDialog>
#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <QWindowStateChangeEvent>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "kit/foundation/alert.h"
#include "platform/core/continuation.h"

namespace kit {

WindowAccessor::WindowAccessor(QWidget& content, std::function<void(QWidget*)> onWindow, QObject* owner)
    : QObject(owner ? owner : &content), content_(&content), onWindow_(std::move(onWindow)) {
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
  for (QWidget* widget = content_.data(); widget != nullptr; widget = widget->parentWidget()) {
    widget->installEventFilter(this);
    ancestors_.emplace_back(widget);
  }
}

void WindowAccessor::report() {
  // A closure that changes the window's flags hides and shows it again on the way: what counts is where the content
  // is once the closure is done.
  if (isReporting_ || !content_) return;
  isReporting_ = true;
  while (content_) {
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
    : QObject(&content), onResize(std::move(onResize)) {
  new WindowAccessor(
      content,
      [this](QWidget* window) {
        if (window_) window_->removeEventFilter(this);
        window_ = window;
        if (window) window->installEventFilter(this);
      },
      this);
}

bool WindowResizeObserver::eventFilter(QObject* watched, QEvent* event) {
  if (watched != window_) return false;
  if (event->type() == QEvent::Resize) resized();
  if (event->type() == QEvent::WindowStateChange && window_->isFullScreen() &&
      !static_cast<QWindowStateChangeEvent*>(event)->oldState().testFlag(Qt::WindowFullScreen))
    resized();
  return false;
}

void WindowResizeObserver::resized() {
  // A copy: the handler may set another one.
  if (const std::function<void()> handler = onResize) handler();
}

void beginPanel(QDialog& panel, QWidget* window, std::function<void(int)> done, WindowLevel levelAlone) {
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
    // Free-standing: it blocks nothing, and by default stays above our floating windows.
    panel.setWindowModality(Qt::NonModal);
    setWindowLevel(panel, levelAlone);
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

namespace {

// The settings of the windows that host one content, one per property, applied to each window it comes to.
class HostingWindowSettings final : public QObject {
 public:
  static constexpr const char* name = "kit_hostingWindowSettings";

  explicit HostingWindowSettings(QWidget& content) : QObject(&content) {
    setObjectName(name);
    accessor_ = new WindowAccessor(
        content, [this](QWidget* window) { applyAll(window); }, this);
  }

  void set(const char* property, const std::function<void(QWidget&)>& apply) {
    settings_[property] = apply;
    if (QWidget* window = accessor_->window()) {
      apply(*window);
    } else if (QWidget* content = static_cast<QWidget*>(parent());
               content->isWindow() && !content->testAttribute(Qt::WA_WState_Created)) {
      // A window that is its own content, not yet created: its flags go out with its native window. Set between the
      // creation and the first map, the level makes the platform replace the native window behind the widget's back
      // (its id goes stale).
      apply(*content);
    }
  }

 private:
  void applyAll(QWidget* window) {
    if (!window) return;
    // A copy: a setting may replace another while they are applied.
    const auto settings = settings_;
    for (const auto& [property, apply] : settings) apply(*window);
  }

  WindowAccessor* accessor_ = nullptr;
  std::map<std::string, std::function<void(QWidget&)>> settings_;
};

}  // namespace

void setHostingWindowProperty(QWidget& content, const char* property, const std::function<void(QWidget&)>& apply) {
  auto* settings = content.findChild<HostingWindowSettings*>(HostingWindowSettings::name, Qt::FindDirectChildrenOnly);
  if (!settings) settings = new HostingWindowSettings(content);
  settings->set(property, apply);
}

void setHostingWindowLevel(QWidget& content, WindowLevel level) {
  setHostingWindowProperty(content, "level", [level](QWidget& window) { setWindowLevel(window, level); });
}

void setWindowIsMinimizable(QWidget& content, bool isMinimizable) {
  setHostingWindowProperty(content, "isMinimizable", [isMinimizable](QWidget& window) {
    // Qt fills in the buttons of the window's kind, a dialog's differing from a plain window's; asking for them one
    // by one keeps that set and changes only the minimize button.
    Qt::WindowFlags flags = window.windowFlags() | Qt::CustomizeWindowHint;
    changeWindowFlags(window, flags.setFlag(Qt::WindowMinimizeButtonHint, isMinimizable));
  });
}

}  // namespace kit
