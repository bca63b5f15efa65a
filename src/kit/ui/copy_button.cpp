#include "kit/ui/copy_button.h"

#include <QEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QVariantAnimation>
#include <chrono>

#include "kit/foundation/timers.h"
#include "kit/foundation/verbatim_title.h"
#include "kit/ui/symbol_icons.h"
#include "kit/ui/window_presentation.h"
#include "platform/core/timer.h"

namespace kit {

namespace {
constexpr std::chrono::seconds successDuration{1};
constexpr int fadeMilliseconds = 300;
}  // namespace

CopyButton::CopyButton(std::function<void()> action, std::optional<QString> title, QWidget* parent)
    : QPushButton(verbatimTitle(std::move(title).value_or(QStringLiteral("Copy"))), parent),
      action_(std::move(action)),
      fade_(new QVariantAnimation(this)),
      // The kit's timers are precise: a coarse one may end the success second up to 50 ms early.
      reset_(makeTimer(successDuration, false, [this](platform::Timer&) { setShowingSuccess(false); }).release()) {
  reset_->setParent(this);
  setIcon(symbolIcon("doc.on.doc"));
  fade_->setDuration(fadeMilliseconds);
  fade_->setEasingCurve(QEasingCurve::InOutQuad);
  connect(fade_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
    successOpacity_ = value.toDouble();
    update();
  });
  connect(this, &QPushButton::clicked, this, &CopyButton::press);
}

void CopyButton::press() {
  setShowingSuccess(true);
  reset_->start();
  // A copy: the action may take the button away.
  if (auto action = action_) action();
}

void CopyButton::setTitleOnly(bool titleOnly) {
  isTitleOnly_ = titleOnly;
  setIcon(titleOnly ? QIcon() : symbolIcon("doc.on.doc"));
}

void CopyButton::setShowingSuccess(bool showing) {
  isShowingSuccess_ = showing;
  applySuccessDisabling();
  fade_->stop();
  const double target = showing ? 1 : 0;
  if (prefersReducedMotion()) {
    successOpacity_ = target;
    update();
    return;
  }
  fade_->setStartValue(successOpacity_);
  fade_->setEndValue(target);
  fade_->start();
}

// The success display disables the button as an enclosing widget would: Qt keeps a caller's own setEnabled in
// Qt::WA_ForceDisabled, which the display leaves as the caller set it, also meanwhile, and restores from at its end.
void CopyButton::applySuccessDisabling() {
  const bool disabledByCaller = testAttribute(Qt::WA_ForceDisabled);
  if (!isShowingSuccess_) {
    setEnabled(!disabledByCaller);
    return;
  }
  setEnabled(false);
  setAttribute(Qt::WA_ForceDisabled, disabledByCaller);
}

void CopyButton::changeEvent(QEvent* event) {
  QPushButton::changeEvent(event);
  // Enabled meanwhile (by the caller or an enclosing widget): the success display still takes no clicks.
  if (event->type() == QEvent::EnabledChange && isShowingSuccess_ && isEnabled()) applySuccessDisabling();
}

void CopyButton::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  // The frame, then the label and the checkmark over each other: the label keeps its room while it is hidden.
  QStyleOptionButton frame = option;
  frame.text.clear();
  frame.icon = QIcon();
  painter.drawControl(QStyle::CE_PushButtonBevel, frame);
  if (successOpacity_ < 1) {
    painter.setOpacity(1 - successOpacity_);
    painter.drawControl(QStyle::CE_PushButtonLabel, option);
  }
  if (successOpacity_ > 0) {
    painter.setOpacity(successOpacity_);
    const int side = iconSize().height() + 2;
    const QRect mark(rect().center() - QPoint(side / 2, side / 2), QSize(side, side));
    symbolIcon("checkmark").paint(&painter, mark);
  }
}

}  // namespace kit
