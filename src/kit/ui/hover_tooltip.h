#pragma once

#include <QObject>
#include <QPointer>
#include <chrono>
#include <functional>
#include <vector>

#include "kit/ui/popover.h"

namespace platform {
class Timer;
}

namespace kit {

// A rich tooltip: content in a popover that opens when the pointer has rested on the widget for a moment and
// closes the same moment after it left, unless it went onto the popover, which then stays until the pointer
// leaves it. The popover also closes when the window or the application stops being active. Lives as long
// as the widget. Main thread only.
class HoverTooltip : public QObject {
  Q_OBJECT

 public:
  static constexpr std::chrono::milliseconds delay{350};

  // `content` builds the popover's content each time it opens.
  HoverTooltip(QWidget& widget, std::function<QWidget*()> content, Popover::Options options = {});
  ~HoverTooltip() override;

  bool isPresented() const { return popover_ && popover_->isVisible(); }
  Popover* popover() const { return popover_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void hoverChanged(bool hovering);
  void hoverOnPopoverChanged(bool hovering);
  void setPresented(bool presented);
  void cancelPendingDecisions();
  void hideOnNextTurn();

  QWidget* widget_;
  std::function<QWidget*()> content_;
  Popover::Options options_;
  bool isHovered_ = false;
  // Every decision still waiting applies the hover state of its own moment.
  std::vector<QPointer<platform::Timer>> pending_;
  QPointer<Popover> popover_;
};

}  // namespace kit
