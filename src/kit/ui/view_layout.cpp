#include "kit/ui/view_layout.h"

#include <QEvent>
#include <QPointer>
#include <QPropertyAnimation>
#include <QWidget>

#include "kit/ui/window_presentation.h"

namespace kit {

namespace {

// Follows the container's size; a child of the view, so it goes with it.
class EdgeConstraint final : public QObject {
 public:
  EdgeConstraint(QWidget& view, QWidget& container, const QMargins& insets)
      : QObject(&view), view_(&view), insets_(insets) {
    container.installEventFilter(this);
    apply(container);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Resize && view_ && watched == view_->parentWidget()) apply(*view_->parentWidget());
    return false;
  }

 private:
  void apply(QWidget& container) { view_->setGeometry(container.rect().marginsRemoved(insets_)); }

  QPointer<QWidget> view_;
  QMargins insets_;
};

constexpr const char* shakeName = "kit.shake";
constexpr const char* shakeOriginProperty = "kit.shakeOrigin";

}  // namespace

void constrainEdges(QWidget& view, QWidget& container, const QMargins& insets) {
  if (view.parentWidget() != &container) view.setParent(&container);
  const QObjectList children = view.children();
  for (QObject* child : children)
    if (auto* previous = dynamic_cast<EdgeConstraint*>(child)) delete previous;
  new EdgeConstraint(view, container, insets);
}

void constrainSize(QWidget& view, const QSize& size) { view.setFixedSize(size); }

void shake(QWidget& view, std::chrono::milliseconds duration, ShakeAxis axis, int distance) {
  if (prefersReducedMotion()) return;
  // A shake that is still running ends where it started, so that shakes never add up.
  if (auto* running = view.findChild<QPropertyAnimation*>(shakeName, Qt::FindDirectChildrenOnly)) {
    running->stop();
    view.move(running->property(shakeOriginProperty).toPoint());
    delete running;
  }
  const QPoint origin = view.pos();
  const QPoint step = axis == ShakeAxis::horizontal ? QPoint(distance, 0) : QPoint(0, distance);
  auto* animation = new QPropertyAnimation(&view, "pos", &view);
  animation->setObjectName(shakeName);
  animation->setProperty(shakeOriginProperty, origin);
  animation->setDuration(static_cast<int>(duration.count()));
  animation->setEasingCurve(QEasingCurve::InOutCubic);
  animation->setKeyValueAt(0, origin - step);
  animation->setKeyValueAt(0.25, origin + step);
  animation->setKeyValueAt(0.5, origin - step / 2);
  animation->setKeyValueAt(0.75, origin + step / 2);
  animation->setKeyValueAt(1, origin);
  animation->start(QAbstractAnimation::DeleteWhenStopped);
}

}  // namespace kit
