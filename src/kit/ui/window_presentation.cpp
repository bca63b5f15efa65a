#include "kit/ui/window_presentation.h"

#include <QApplication>
#include <QCursor>
#include <QDBusConnection>
#include <QPointer>
#include <QPropertyAnimation>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <atomic>
#include <vector>

#include "kit/foundation/alert.h"
#include "kit/ui/window_for_menu_bar_app.h"
#include "platform/core/continuation.h"
#include "platform/core/sleep.h"
#include "platform/system/desktop_settings.h"

namespace kit {

namespace {

using namespace std::chrono_literals;

std::optional<bool>& reducedMotionOverride() {
  static std::optional<bool> value;
  return value;
}

// The window that `window` belongs to (for which it is transient), if any.
QWidget* owner(const QWidget& window) { return window.parentWidget() ? window.parentWidget()->window() : nullptr; }

void showAndRaise(QWidget& window) {
  // show() does nothing to a window that is minimised but shown; it is mapped again once its state no longer says
  // minimised. showNormal() would also undo maximised and full screen.
  if (window.isMinimized()) window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
  window.show();
  window.raise();
}

// Brings back the shown windows that belong to the window, each above the one it belongs to; answers the last
// modal one among them.
QWidget* bringBackOwnedWindows(const QWidget& window) {
  QWidget* modal = nullptr;
  for (QObject* child : window.children()) {
    auto* owned = qobject_cast<QWidget*>(child);
    if (!owned || !owned->isWindow() || !owned->isVisible()) continue;
    const Qt::WindowType type = owned->windowType();
    if (type != Qt::Window && type != Qt::Dialog && type != Qt::Sheet && type != Qt::Tool) continue;  // no popups
    showAndRaise(*owned);
    if (owned->isModal()) modal = owned;
    if (QWidget* inner = bringBackOwnedWindows(*owned)) modal = inner;
  }
  return modal;
}

// Ends when the fade has run, or at once when the window goes away meanwhile.
platform::Task<void> fadeIn(QPointer<QWidget> window, std::chrono::milliseconds duration, QEasingCurve curve) {
  auto start = [window, duration, curve](const platform::Continuation<void>& done) {
    if (!window) return done.resume();
    auto* animation = new QPropertyAnimation(window, "windowOpacity", window);
    animation->setDuration(static_cast<int>(duration.count()));
    animation->setStartValue(0.0);
    animation->setEndValue(1.0);
    animation->setEasingCurve(curve);
    auto resumed = std::make_shared<std::atomic<bool>>(false);
    auto finish = [done, resumed] {
      if (!resumed->exchange(true)) done.resume();
    };
    QObject::connect(animation, &QPropertyAnimation::finished, finish);
    QObject::connect(animation, &QObject::destroyed, finish);
    animation->start(QAbstractAnimation::DeleteWhenStopped);
  };
  co_await platform::withContinuation<void>("show(animated:)", start);
}

// Closes the window, also when it refuses: then what an accepted close does next is done.
void closeWithoutAsking(QWidget& window) {
  QPointer<QWidget> target(&window);
  if (window.close() || !target) return;
  window.hide();
  if (window.testAttribute(Qt::WA_DeleteOnClose)) {
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.deleteLater();
  }
}

}  // namespace

void orderFront(QWidget& window, bool makeKey) {
  // Outermost first, so that each comes above the one it belongs to, and before the window itself is mapped: openbox
  // keeps a window minimised that is mapped again after a window that belongs to it came up.
  std::vector<QWidget*> owners;
  for (QWidget* next = owner(window); next; next = owner(*next)) owners.insert(owners.begin(), next);
  for (QWidget* each : owners) {
    if (each->isVisible()) showAndRaise(*each);
  }
  showAndRaise(window);
  QWidget* modal = bringBackOwnedWindows(window);
  if (makeKey) (modal ? modal : &window)->activateWindow();
}

platform::Task<void> showWindow(QWidget& window, WindowShowOptions options) {
  QPointer<QWidget> target(&window);
  if (!options.animated) {
    orderFront(window, options.makeKey);
    co_return;
  }
  window.setWindowOpacity(0);
  orderFront(window, options.makeKey);
  try {
    co_await platform::sleepFor(100ms);
    co_await platform::sleepFor(options.delay);
  } catch (const platform::CancellationError&) {
    // A transparent window would still take clicks and the focus.
    if (target) target->setWindowOpacity(1);
    co_return;
  }
  if (!target) co_return;
  if (prefersReducedMotion()) {
    target->setWindowOpacity(1);
    co_return;
  }
  co_await fadeIn(target, options.duration, options.timingFunction.get());
  if (target) target->setWindowOpacity(1);
}

void centerOnScreen(QWidget& window) {
  QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  const QSize size = window.frameGeometry().size();
  window.move(area.x() + std::max(0, (area.width() - size.width()) / 2),
              area.y() + std::max(0, (area.height() - size.height()) / 2));
}

void centerOver(QWidget& panel, const QWidget& window) {
  const QWidget& host = *window.window();
  if (!panel.testAttribute(Qt::WA_Resized)) panel.adjustSize();
  QRect placed(QPoint(), panel.size());
  placed.moveCenter(host.geometry().center());
  if (QScreen* screen = host.screen()) {
    const QRect area = screen->availableGeometry().marginsRemoved(frameMargins(host));
    placed.moveLeft(std::max(area.left(), std::min(placed.left(), area.right() + 1 - placed.width())));
    placed.moveTop(std::max(area.top(), std::min(placed.top(), area.bottom() + 1 - placed.height())));
  }
  panel.setGeometry(placed);
}

QMargins frameMargins(const QWidget& window) {
  const QRect client = window.geometry();
  const QRect frame = window.frameGeometry();
  return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
          frame.bottom() - client.bottom()};
}

void toggle(QWidget& window) {
  if (window.isVisible() && window.isActiveWindow()) {
    performClose(window);
    return;
  }
  activateApp();
  orderFront(window);
}

void toggle2(QWidget& window, bool forceClose) {
  if (window.isVisible() && !window.isMinimized()) {
    if (forceClose)
      closeWithoutAsking(window);
    else
      performClose(window);
    return;
  }
  activateApp();
  orderFront(window);
}

void setWindowLevel(QWidget& window, WindowLevel level) {
  Qt::WindowFlags flags = window.windowFlags() & ~(Qt::WindowStaysOnTopHint | Qt::WindowStaysOnBottomHint);
  if (level == WindowLevel::desktop) flags |= Qt::WindowStaysOnBottomHint;
  if (level == WindowLevel::floating || level == WindowLevel::utility) flags |= Qt::WindowStaysOnTopHint;
  changeWindowFlags(window, flags);
}

void changeWindowFlags(QWidget& window, Qt::WindowFlags flags) {
  if (flags == window.windowFlags()) return;
  const bool wasVisible = window.isVisible();
  // Being shown, its native window not yet mapped: the hints go out with the map, and hiding it now would tell
  // everything in it that it left its window.
  QWindow* native = window.windowHandle();
  if (wasVisible && native != nullptr && !native->isVisible() &&
      (flags & Qt::WindowType_Mask) == (window.windowFlags() & Qt::WindowType_Mask)) {
    window.overrideWindowFlags(flags);
    native->setFlags(flags);
    return;
  }
  window.setWindowFlags(flags);
  if (wasVisible) window.show();
}

bool prefersReducedMotion() {
  if (reducedMotionOverride()) return *reducedMotionOverride();
  QDBusConnection bus = QDBusConnection::sessionBus();
  auto desktopSetting = [&bus](const QString& group, const QString& key) {
    return platform::readDesktopSetting(bus, group, key, 300);
  };
  if (auto enabled = desktopSetting("org.gnome.desktop.interface", "enable-animations"))
    return enabled->isValid() && !enabled->toBool();
  if (auto factor = desktopSetting("org.kde.kdeglobals.KDE", "AnimationDurationFactor"))
    return factor->isValid() && factor->toDouble() == 0.0;
  return false;
}

void setPrefersReducedMotionForTesting(std::optional<bool> value) { reducedMotionOverride() = value; }

}  // namespace kit
