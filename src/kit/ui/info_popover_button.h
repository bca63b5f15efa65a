#pragma once

#include <QPointer>
#include <functional>
#include <optional>
#include <string>

#include "kit/ui/native_button.h"
#include "kit/ui/popover.h"

namespace kit {

// The small round "?" button of a settings row: a click opens a popover with the explanation under it (a
// click while it is open leaves it open); a click outside or Escape closes it. Main thread only.
class InfoPopoverButton : public NativeButton {
  Q_OBJECT

 public:
  // `content` builds the popover's content each time it opens; with `maxWidth` the content is laid out at
  // exactly that width and its labels wrap their text, else it keeps its natural size. `onAction` gets the open state
  // after each click.
  InfoPopoverButton(std::function<QWidget*()> content, std::optional<int> maxWidth = std::nullopt,
                    std::function<void(bool)> onAction = {}, QWidget* parent = nullptr);
  ~InfoPopoverButton() override;

  // The popover shows a text rendered from Markdown.
  static InfoPopoverButton* withMarkdown(const std::string& markdown, std::optional<int> maxWidth = std::nullopt,
                                         QWidget* parent = nullptr);

  bool isPopoverPresented() const { return popover_ && popover_->isVisible(); }
  Popover* popover() const { return popover_; }

  // Keeps the button's small size for rows of small controls.
  void setControlSize(ControlSize size);

 private:
  void present();

  std::function<QWidget*()> content_;
  std::optional<int> maxWidth_;
  std::function<void(bool)> onAction_;
  QPointer<Popover> popover_;
};

}  // namespace kit
