#pragma once

#include <QPushButton>
#include <functional>
#include <optional>

class QVariantAnimation;

namespace platform {
class Timer;
}

namespace kit {

// A button labelled "Copy" (or a caller's title) with the copy symbol. A press first shows a bold checkmark in
// place of the label, for one second, without a change of width and without taking clicks meanwhile, and then
// runs the action, so that a slow action still shows the checkmark first. A setEnabled of the caller's, also one made
// during that second, holds after it. Main thread only.
class CopyButton : public QPushButton {
  Q_OBJECT

 public:
  explicit CopyButton(std::function<void()> action, std::optional<QString> title = std::nullopt,
                      QWidget* parent = nullptr);

  bool isShowingSuccess() const { return isShowingSuccess_; }
  // Shows the title alone, without the copy symbol.
  void setTitleOnly(bool titleOnly);

 protected:
  void changeEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void press();
  void setShowingSuccess(bool showing);
  void applySuccessDisabling();

  std::function<void()> action_;
  bool isShowingSuccess_ = false;
  bool isTitleOnly_ = false;
  double successOpacity_ = 0;  // the checkmark's; the label has the rest
  QVariantAnimation* fade_;
  platform::Timer* reset_;  // a child: it never fires after the button is gone
};

}  // namespace kit
