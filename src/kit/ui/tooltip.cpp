#include "kit/ui/tooltip.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPropertyAnimation>
#include <QScreen>
#include <QSystemTrayIcon>
#include <limits>

#include "kit/preferences/key.h"
#include "kit/ui/status_item_visibility.h"
#include "kit/ui/view_layout.h"
#include "kit/ui/window_presentation.h"

namespace kit {

namespace {

constexpr int fadeMilliseconds = 200;
constexpr int followInterval = 100;
// Between a status item and its popover.
constexpr int statusItemGap = 5;

QRect primaryScreenArea() {
  QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
}

Preferences::Key<int64_t> showCountKey(const std::string& identifier) {
  return Preferences::Key<int64_t>("Zv_Tooltip_" + identifier, 0);
}

}  // namespace

Tooltip::Tooltip(std::string identifier, const std::string& text, Options options)
    : QFrame(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      identifier_(std::move(identifier)),
      options_(std::move(options)) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFrameShape(QFrame::StyledPanel);
  setObjectName("tooltip");
  label_ = new QLabel(QString::fromStdString(text), this);
  label_->setTextFormat(Qt::PlainText);
  label_->setWordWrap(true);
  label_->setTextInteractionFlags(Qt::NoTextInteraction);
  if (options_.font) label_->setFont(*options_.font);
  QSize labelSize = label_->sizeHint();
  if (auto width = textWrapWidth()) {
    // As wide as the text needs, up to the maximum; as high as the wrapped text then is.
    const int natural = label_->fontMetrics().horizontalAdvance(label_->text()) + 2;
    const int labelWidth = std::min(natural, *width);
    labelSize = QSize(labelWidth, label_->heightForWidth(labelWidth));
    constrainSize(*label_, labelSize);
  }
  // The insets count from inside the frame.
  const QMargins insets = options_.contentInsets + contentsMargins();
  resize(labelSize.grownBy(insets));
  constrainEdges(*label_, *this, insets);
  fade_ = new QPropertyAnimation(this, "windowOpacity", this);
  fade_->setDuration(fadeMilliseconds);
  connect(fade_, &QPropertyAnimation::finished, this, [this] {
    if (windowOpacity() > 0) return;
    fadedOut_ = true;
    close();
  });
  follow_ = new QTimer(this);
  follow_->setInterval(followInterval);
  connect(follow_, &QTimer::timeout, this, &Tooltip::followStatusItem);
}

std::optional<int> Tooltip::textWrapWidth() const {
  if (!options_.maxWidth) return std::nullopt;
  return *options_.maxWidth - (options_.contentInsets.left() + options_.contentInsets.right());
}

int64_t Tooltip::showCount(const std::string& identifier) { return Preferences::get(showCountKey(identifier)); }

bool Tooltip::show(const QRect& positioningRect, const QWidget& positioningView, RectEdge preferredEdge) {
  if (!positioningView.isVisible()) return false;
  const QRect anchor(positioningView.mapToGlobal(positioningRect.topLeft()), positioningRect.size());
  const QScreen* screen = positioningView.screen() ? positioningView.screen() : QGuiApplication::primaryScreen();
  const QRect available = screen ? screen->availableGeometry() : anchor;
  if (!present(popoverGeometry(size(), anchor, preferredEdge, available))) return false;
  // Closing on click, it also closes when the user clicks or types in the window of the view it points at.
  anchorWindow_ = options_.closeOnClick ? positioningView.window() : nullptr;
  if (anchorWindow_) qApp->installEventFilter(this);
  return true;
}

bool Tooltip::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type == QEvent::MouseButtonPress || type == QEvent::KeyPress) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget && anchorWindow_ && widget->window() == anchorWindow_) close();
  }
  return QFrame::eventFilter(watched, event);
}

bool Tooltip::present(const QRect& geometry) {
  const auto key = showCountKey(identifier_);
  const int64_t count = Preferences::get(key);
  if (options_.showOnlyOnce && count > 0) return false;
  Preferences::set(key, count == std::numeric_limits<int64_t>::max() ? count : count + 1);

  move(geometry.topLeft());
  fade_->stop();
  fadedOut_ = false;
  const bool animates = !prefersReducedMotion();
  setWindowOpacity(animates ? 0 : 1);
  orderFront(*this, false);
  if (animates) {
    fade_->setStartValue(0.0);
    fade_->setEndValue(1.0);
    fade_->start();
  }
  return true;
}

QRect Tooltip::geometryAtStatusItem(const QRect& itemGeometry) const {
  const QRect item = statusItemAnchor(itemGeometry, primaryScreenArea());
  QScreen* screen = QGuiApplication::screenAt(item.center());
  if (!screen) screen = QGuiApplication::primaryScreen();
  const QRect available = screen ? screen->availableGeometry() : item;
  return popoverGeometry(size(), item, RectEdge::maxY, available, statusItemGap);
}

bool Tooltip::showUnderStatusItem(std::function<QRect()> statusItemGeometry, bool statusItemIsOnScreen) {
  if (!showEvenWhenMenuBarItemIsHidden && !statusItemIsOnScreen) return false;
  followedGeometry_ = statusItemGeometry ? statusItemGeometry() : QRect();
  anchorWindow_ = nullptr;
  if (!present(geometryAtStatusItem(followedGeometry_))) return false;
  statusItemGeometry_ = std::move(statusItemGeometry);
  if (statusItemGeometry_) follow_->start();
  return true;
}

bool Tooltip::showUnderStatusItem(QSystemTrayIcon& item) {
  QPointer<QSystemTrayIcon> followed(&item);
  return showUnderStatusItem([followed] { return followed ? followed->geometry() : QRect(); },
                             !isHiddenFromMenuBar(item));
}

void Tooltip::followStatusItem() {
  const QRect geometry = statusItemGeometry_();
  if (geometry == followedGeometry_) return;
  followedGeometry_ = geometry;
  move(geometryAtStatusItem(geometry).topLeft());
}

QRect statusItemAnchor(const QRect& statusItemGeometry, const QRect& screenGeometry) {
  if (statusItemGeometry.isEmpty() || statusItemGeometry.right() < 0)
    return {screenGeometry.x() + screenGeometry.width() - 60, screenGeometry.y() - 1, 1, 1};
  return statusItemGeometry;
}

void Tooltip::mousePressEvent(QMouseEvent* event) { event->accept(); }

void Tooltip::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  // A click is the primary button let go inside it; a press dragged out of it is none.
  if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint())) return;
  auto onClick = options_.onClick;
  if (options_.closeOnClick) close();
  if (onClick) onClick();
}

void Tooltip::closeEvent(QCloseEvent* event) {
  if (fadedOut_ || prefersReducedMotion() || !isVisible()) {
    QFrame::closeEvent(event);
    return;
  }
  event->ignore();
  if (fade_->state() == QAbstractAnimation::Running && fade_->endValue().toDouble() == 0) return;
  fade_->stop();
  fade_->setStartValue(windowOpacity());
  fade_->setEndValue(0.0);
  fade_->start();
}

void Tooltip::hideEvent(QHideEvent* event) {
  QFrame::hideEvent(event);
  qApp->removeEventFilter(this);
  follow_->stop();
  fade_->stop();
  Q_EMIT closed();
}

}  // namespace kit
