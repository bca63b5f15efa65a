#include "kit/ui/hover_tooltip.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <utility>

#include "kit/foundation/timers.h"
#include "kit/ui/window_access.h"

namespace kit {

HoverTooltip::HoverTooltip(QWidget& widget, std::function<QWidget*()> content, Popover::Options options)
    : QObject(&widget), widget_(&widget), content_(std::move(content)), options_(options) {
  options_.behavior = Popover::Behavior::hover;
  widget.setAttribute(Qt::WA_Hover);
  widget.installEventFilter(this);
  // Its window going inactive closes the popover, in whichever window the widget is.
  new WindowAccessor(
      widget,
      [this](QWidget* window) {
        if (window) window->installEventFilter(this);
      },
      this);
  connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
    if (state == Qt::ApplicationInactive) hideOnNextTurn();
  });
}

HoverTooltip::~HoverTooltip() {
  if (popover_) popover_->deleteLater();
}

bool HoverTooltip::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (watched == widget_) {
    if (type == QEvent::Enter) hoverChanged(true);
    if (type == QEvent::Leave) hoverChanged(false);
    if (type == QEvent::Hide) setPresented(false);
  } else if (watched == popover_.data()) {
    if (type == QEvent::Enter) hoverOnPopoverChanged(true);
    if (type == QEvent::Leave) hoverOnPopoverChanged(false);
  } else if (watched == widget_->window() && type == QEvent::WindowDeactivate) {
    hideOnNextTurn();
  }
  return false;
}

void HoverTooltip::hoverChanged(bool hovering) {
  isHovered_ = hovering;
  // The kit's timers are precise: Qt's default one may fire a few per cent early, and a shorter rest than the delay
  // must never open the popover.
  auto decision = makeTimer(delay, false, [this](platform::Timer& timer) {
    setPresented(isHovered_);
    timer.deleteLater();
  });
  decision->setParent(this);  // never fires once this is gone
  decision->start();
  pending_.push_back(decision.release());
}

void HoverTooltip::hoverOnPopoverChanged(bool hovering) {
  // Reaching the popover settles it: no decision taken while the pointer was on its way applies any more.
  cancelPendingDecisions();
  setPresented(hovering);
}

void HoverTooltip::cancelPendingDecisions() {
  for (const auto& decision : pending_) {
    if (!decision) continue;
    decision->stop();
    decision->deleteLater();
  }
  pending_.clear();
}

void HoverTooltip::hideOnNextTurn() {
  QMetaObject::invokeMethod(
      this, [this] { setPresented(false); }, Qt::QueuedConnection);
}

void HoverTooltip::setPresented(bool presented) {
  std::erase_if(pending_,
                [](const QPointer<platform::Timer>& decision) { return decision.isNull() || !decision->isActive(); });
  if (presented == isPresented()) return;
  if (!presented) {
    std::exchange(popover_, nullptr)->close();
    return;
  }
  if (!widget_->isVisible()) return;
  popover_ = new Popover(content_(), options_);
  popover_->installEventFilter(this);
  popover_->showUnder(*widget_);
}

}  // namespace kit
