#include "kit/ui/hosting_window.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QScreen>
#include <QVBoxLayout>

#include "kit/ui/window_presentation.h"
#include "platform/core/log_sink.h"

namespace kit {

namespace {
// How far a window may hang below the bottom edge of its screen.
constexpr int bottomOverhang = 30;
}  // namespace

QRect constrainedFrame(const QRect& proposed, const QRect& available) {
  // Worked out from the bottom-left corner of the area, y growing upwards.
  const int areaWidth = available.width();
  const int areaHeight = available.height();
  int x = proposed.x() - available.x();
  int width = proposed.width();
  int height = proposed.height();
  int y = available.bottom() + 1 - (proposed.y() + height);
  if (width >= areaWidth) {
    width = areaWidth;
    x = 0;
  }
  if (height >= areaHeight) {
    height = areaHeight;
    y = 0;
  }
  if (x + width > areaWidth) x = areaWidth - width;
  if (y + height > areaHeight) y = areaHeight - height;
  if (x < 0) x = 0;
  if (y < -bottomOverhang) y = 0;
  return QRect(available.x() + x, available.bottom() + 1 - y - height, width, height);
}

HostingWindow::HostingWindow(QWidget* content, Options options)
    : QWidget(nullptr, Qt::Window), options_(options), content_(content) {
  setAttribute(Qt::WA_DeleteOnClose);
  resize(100, 100);
  if (!options.canBecomeKey) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowFlag(Qt::WindowDoesNotAcceptFocus);
  }
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  if (content) layout->addWidget(content);
}

HostingWindow::~HostingWindow() { platform::printLineToStandardOutput("HostingWindow - DEINIT"); }

void HostingWindow::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  if (!event->isAccepted() || !content_) return;
  content_->hide();
  content_->deleteLater();
}

void HostingWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && options_.closeOnEsc) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

void HostingWindow::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  keepOnScreen();
}

void HostingWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  keepOnScreen();
}

void HostingWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  keepOnScreen();
}

void HostingWindow::keepOnScreen() {
  if (!options_.constrainWindowToScreen || !isVisible()) return;
  QScreen* onScreen = screen();
  if (!onScreen) return;
  // The frame (title bar and borders) stays on the screen, not just the client area within it.
  const QRect frame = frameGeometry();
  const QRect kept = constrainedFrame(frame, onScreen->availableGeometry());
  if (kept == frame) return;
  setGeometry(kept.marginsRemoved(frameMargins(*this)));
}

}  // namespace kit
