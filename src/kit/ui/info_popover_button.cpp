#include "kit/ui/info_popover_button.h"

#include <QLabel>

#include "kit/ui/text_styles.h"
#include "kit/ui/view_building_blocks.h"

namespace kit {

namespace {

// Below the content the popover keeps a little more room than around it.
constexpr QMargins popoverPadding{16, 16, 16, 20};

}  // namespace

InfoPopoverButton::InfoPopoverButton(std::function<QWidget*()> content, std::optional<int> maxWidth,
                                     std::function<void(bool)> onAction, QWidget* parent)
    : NativeButton({.title = "Help", .bezelStyle = BezelStyle::help}, parent),
      content_(std::move(content)),
      maxWidth_(maxWidth),
      onAction_(std::move(onAction)) {
  setDescription({.title = "Help", .bezelStyle = BezelStyle::help, .action = [this] {
                    present();
                    if (onAction_) onAction_(isPopoverPresented());
                  }});
}

InfoPopoverButton::~InfoPopoverButton() {
  if (popover_) popover_->close();
}

InfoPopoverButton* InfoPopoverButton::withMarkdown(const std::string& markdown, std::optional<int> maxWidth,
                                                   QWidget* parent) {
  return new InfoPopoverButton([markdown] { return markdownLabel(markdown); }, maxWidth, {}, parent);
}

void InfoPopoverButton::setControlSize(ControlSize size) {
  Description changed = description();
  changed.controlSize = size;
  setDescription(std::move(changed));
}

void InfoPopoverButton::present() {
  if (isPopoverPresented()) return;
  QWidget* content = content_();
  if (maxWidth_ && content) {
    // Long texts wrap at the width instead of being cut.
    if (auto* label = qobject_cast<QLabel*>(content)) setMultilineFixedSize(*label);
    for (QLabel* label : content->findChildren<QLabel*>()) setMultilineFixedSize(*label);
  }
  popover_ = new Popover(
      content, {.behavior = Popover::Behavior::transient, .contentWidth = maxWidth_, .padding = popoverPadding});
  popover_->showUnder(*this);
}

}  // namespace kit
