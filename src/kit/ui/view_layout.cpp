#include "kit/ui/view_layout.h"

#include <QEvent>
#include <QPointer>
#include <QPropertyAnimation>
#include <QWidget>
#include <cmath>

#include "kit/foundation/timing_curves.h"
#include "kit/ui/window_presentation.h"

namespace kit {

namespace {

// Keeps the view over the other widget; a child of the view, so it goes with it.
class EdgeConstraint final : public QObject {
 public:
  EdgeConstraint(QWidget& view, QWidget& other, const QMargins& insets)
      : QObject(&view), view_(&view), other_(&other), insets_(insets) {
    // The other widget's place in the view's parent changes when it or a widget between it and their common ancestor
    // moves, or one between the parent and that ancestor does.
    QWidget* parent = view.parentWidget();
    QWidget* common = commonAncestor(&other, parent);
    for (QWidget* chain : {&other, parent})
      for (QWidget* each = chain; each && each != common; each = each->parentWidget())
        if (each != &view) each->installEventFilter(this);
    other.installEventFilter(this);  // its size, also when it is the parent
    apply();
  }

  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    if (event->type() == QEvent::Resize || event->type() == QEvent::Move) apply();
    return false;
  }

 private:
  static bool isAncestorOrSelf(const QWidget* ancestor, const QWidget* widget) {
    for (; widget; widget = widget->parentWidget())
      if (widget == ancestor) return true;
    return false;
  }

  static QWidget* commonAncestor(QWidget* first, const QWidget* second) {
    for (QWidget* each = first; each; each = each->parentWidget())
      if (isAncestorOrSelf(each, second)) return each;
    return nullptr;
  }

  void apply() {
    if (!view_ || !other_) return;
    QWidget* parent = view_->parentWidget();
    QPoint origin;
    if (parent == other_) {
      origin = QPoint(0, 0);
    } else if (QWidget* common = commonAncestor(other_, parent)) {
      origin = parent->mapFrom(common, other_->mapTo(common, QPoint(0, 0)));
    } else {
      // In other windows: their places on the screen.
      const QPoint global = other_->mapToGlobal(QPoint(0, 0));
      origin = parent ? parent->mapFromGlobal(global) : global;
    }
    view_->setGeometry(QRect(origin, other_->size()).marginsRemoved(insets_));
  }

  QPointer<QWidget> view_;
  QPointer<QWidget> other_;
  QMargins insets_;
};

constexpr const char* shakeName = "kit.shake";
constexpr const char* shakeOriginProperty = "kit.shakeOrigin";

}  // namespace

void constrainEdges(QWidget& view, QWidget& other, const QMargins& insets) {
  if (!view.parentWidget()) view.setParent(&other);
  const QObjectList children = view.children();
  for (QObject* child : children)
    if (auto* previous = dynamic_cast<EdgeConstraint*>(child)) delete previous;
  new EdgeConstraint(view, other, insets);
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
  auto* animation = new QPropertyAnimation(&view, "pos", &view);
  animation->setObjectName(shakeName);
  animation->setProperty(shakeOriginProperty, origin);
  animation->setDuration(static_cast<int>(duration.count()));
  animation->setEasingCurve(shakeTimingCurve());
  const std::array<double, 5> offsets = shakeOffsets(distance);
  for (size_t index = 0; index < offsets.size(); ++index) {
    const int offset = static_cast<int>(std::lround(offsets[index]));
    const QPoint step = axis == ShakeAxis::horizontal ? QPoint(offset, 0) : QPoint(0, offset);
    animation->setKeyValueAt(static_cast<double>(index) / static_cast<double>(offsets.size() - 1), origin + step);
  }
  animation->start(QAbstractAnimation::DeleteWhenStopped);
}

std::array<double, 5> shakeOffsets(double distance) {
  return {-distance, distance, -distance * 0.5, distance * 0.5, 0};
}

const QEasingCurve& shakeTimingCurve() { return easeInOutTimingCurve(); }

std::array<double, 5> shakeKeyTimes() {
  std::array<double, 5> times{};
  for (size_t index = 0; index < times.size(); ++index) {
    // The curve only rises: the moment it reaches the offset's progress is found by halving.
    const double progress = static_cast<double>(index) / static_cast<double>(times.size() - 1);
    double early = 0, late = 1;
    for (int step = 0; step < 32; ++step) {
      const double middle = (early + late) / 2;
      (shakeTimingCurve().valueForProgress(middle) < progress ? early : late) = middle;
    }
    times[index] = index == 0 ? 0 : index + 1 == times.size() ? 1 : (early + late) / 2;
  }
  return times;
}

}  // namespace kit
