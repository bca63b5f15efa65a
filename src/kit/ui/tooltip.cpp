#include "kit/ui/tooltip.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QVBoxLayout>
#include <limits>

#include "kit/preferences/key.h"

namespace kit {

namespace {

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
  label_->setWordWrap(true);
  label_->setTextInteractionFlags(Qt::NoTextInteraction);
  if (options_.font) label_->setFont(*options_.font);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(options_.contentInsets);
  layout->addWidget(label_);
  if (auto width = textWrapWidth()) {
    // As wide as the text needs, up to the maximum; as high as the wrapped text then is.
    const int natural = label_->fontMetrics().horizontalAdvance(label_->text()) + 2;
    const int labelWidth = std::min(natural, *width);
    label_->setFixedWidth(labelWidth);
    label_->setFixedHeight(label_->heightForWidth(labelWidth));
  }
  adjustSize();
}

std::optional<int> Tooltip::textWrapWidth() const {
  if (!options_.maxWidth) return std::nullopt;
  return *options_.maxWidth - (options_.contentInsets.left() + options_.contentInsets.right());
}

int64_t Tooltip::showCount(const std::string& identifier) { return Preferences::get(showCountKey(identifier)); }

bool Tooltip::showBelow(QPoint anchor) {
  const auto key = showCountKey(identifier_);
  const int64_t count = Preferences::get(key);
  if (options_.showOnlyOnce && count > 0) return false;
  Preferences::set(key, count == std::numeric_limits<int64_t>::max() ? count : count + 1);

  adjustSize();
  QPoint topLeft(anchor.x() - width() / 2, anchor.y());
  if (QScreen* screen =
          QGuiApplication::screenAt(anchor) ? QGuiApplication::screenAt(anchor) : QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    topLeft.setX(std::clamp(topLeft.x(), area.left(), std::max(area.left(), area.right() + 1 - width())));
    topLeft.setY(std::clamp(topLeft.y(), area.top(), std::max(area.top(), area.bottom() + 1 - height())));
  }
  move(topLeft);
  show();
  raise();
  return true;
}

bool Tooltip::showUnderStatusItem(const QRect& statusItemGeometry, bool statusItemIsOnScreen) {
  if (!showEvenWhenMenuBarItemIsHidden && !statusItemIsOnScreen) return false;
  QScreen* screen = QGuiApplication::primaryScreen();
  const QRect screenArea = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
  return showBelow(statusItemAnchor(statusItemGeometry, screenArea));
}

QPoint statusItemAnchor(const QRect& statusItemGeometry, const QRect& screenGeometry) {
  if (statusItemGeometry.isEmpty() || statusItemGeometry.right() < 0) {
    return {screenGeometry.x() + screenGeometry.width() - 60, screenGeometry.y() + 5};
  }
  return {statusItemGeometry.center().x(), statusItemGeometry.bottom() + 1 + 5};
}

void Tooltip::mousePressEvent(QMouseEvent* event) {
  event->accept();
  auto onClick = options_.onClick;
  if (options_.closeOnClick) close();
  if (onClick) onClick();
}

void Tooltip::hideEvent(QHideEvent* event) {
  QFrame::hideEvent(event);
  Q_EMIT closed();
}

}  // namespace kit
