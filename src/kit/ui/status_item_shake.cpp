#include "kit/ui/status_item_shake.h"

#include <QPainter>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <array>
#include <cmath>
#include <vector>

#include "kit/ui/window_presentation.h"

namespace kit {

namespace {

constexpr int usualTraySide = 22;
constexpr const char* shakeName = "kit.statusItemShake";

// One run: the shake's positions as frames, each shown when a shaken view would reach it; the last, where the view
// is back in its place, is the item's own icon again.
class StatusItemShake final : public QObject {
 public:
  StatusItemShake(QSystemTrayIcon& item, std::chrono::milliseconds duration, ShakeAxis axis, int distance)
      : QObject(&item), item_(&item), original_(item.icon()) {
    setObjectName(shakeName);
    const std::array<double, 5> offsets = shakeOffsets(distance);
    for (size_t index = 0; index + 1 < offsets.size(); ++index)
      frames_.push_back(shiftedIcon(original_, axis, offsets[index]));
    for (double time : shakeKeyTimes())
      times_.push_back(std::chrono::milliseconds(std::lround(time * static_cast<double>(duration.count()))));
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &StatusItemShake::step);
    step();
  }

  // Puts the item's icon back, unless someone else has set another one meanwhile.
  void finish() {
    timer_.stop();
    if (item_ && item_->icon().cacheKey() == shownKey_) item_->setIcon(original_);
    deleteLater();
    setObjectName({});
  }

 private:
  void step() {
    if (!item_ || (next_ > 0 && item_->icon().cacheKey() != shownKey_)) {
      finish();  // the item's icon was changed by its owner: that one stays
      return;
    }
    if (next_ == frames_.size()) {
      finish();
      return;
    }
    item_->setIcon(frames_[next_]);
    shownKey_ = item_->icon().cacheKey();
    timer_.start(times_[next_ + 1] - times_[next_]);
    ++next_;
  }

  QPointer<QSystemTrayIcon> item_;
  QIcon original_;
  std::vector<QIcon> frames_;
  // When each frame comes, from the start; the last is when the item's own icon comes back.
  std::vector<std::chrono::milliseconds> times_;
  size_t next_ = 0;
  qint64 shownKey_ = 0;
  QTimer timer_;
};

}  // namespace

QIcon shiftedIcon(const QIcon& icon, ShakeAxis axis, double offset) {
  QIcon shifted;
  for (int side : {16, 22, 24, 32, 48, 64}) {
    const int pixels = static_cast<int>(std::lround(offset * side / usualTraySide));
    QPixmap frame(side, side);
    frame.fill(Qt::transparent);
    QPainter painter(&frame);
    const QPoint shift = axis == ShakeAxis::horizontal ? QPoint(pixels, 0) : QPoint(0, pixels);
    icon.paint(&painter, QRect(shift, QSize(side, side)));
    painter.end();
    shifted.addPixmap(frame);
  }
  return shifted;
}

void shakeStatusItem(QSystemTrayIcon& item, std::chrono::milliseconds duration, ShakeAxis axis, int distance) {
  if (prefersReducedMotion()) return;
  // A shake that is still running ends first, so that the next one starts from the item's own icon.
  if (auto* running = item.findChild<StatusItemShake*>(shakeName, Qt::FindDirectChildrenOnly)) running->finish();
  new StatusItemShake(item, duration, axis, distance);
}

}  // namespace kit
