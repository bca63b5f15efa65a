#include "app/general_settings.h"

#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

#include "app/settings_texts.h"
#include "engine/preference_keys.h"
#include "kit/app/launch_at_login_toggle.h"
#include "kit/foundation/alert.h"
#include "kit/ui/settings_form.h"
#include "kit/ui/text_styles.h"
#include "kit/ui/view_conditionals.h"

namespace app {

namespace {

namespace Keys = kit::Preferences::Keys;
namespace Texts = SettingsTexts;

// The room a checkbox's box takes before its title, so that text under the title lines up with it.
int checkBoxTitleIndent(const QWidget& checkBox) {
  const QStyle* style = checkBox.style();
  return style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, &checkBox) +
         style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, &checkBox);
}

}  // namespace

AutomaticallyClearFormattingSetting::AutomaticallyClearFormattingSetting(QWidget* parent) : QWidget(parent) {
  toggle_ = new kit::Preferences::PreferenceToggle(Texts::automaticallyClearFormatting,
                                                   Keys::automaticallyClearFormatting(), false, this);
  subtitle_ = kit::markdownLabel("", this);
  kit::applySecondaryTextStyle(*subtitle_, kit::smallSystemFontSize());
  subtitle_->setContentsMargins(checkBoxTitleIndent(*toggle_), 4, 0, 0);
  setToolTip(Texts::automaticallyClearFormattingToolTip);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(toggle_);
  layout->addWidget(subtitle_);

  automaticallyClearFormatting_ = kit::Preferences::Observable<bool>::make(Keys::automaticallyClearFormatting());
  subscription_ =
      automaticallyClearFormatting_->objectWillChange().sink([this](const platform::rx::Unit&) { showSubtitle(); });
  showSubtitle();
}

void AutomaticallyClearFormattingSetting::showSubtitle() {
  kit::setMarkdownText(*subtitle_, automaticallyClearFormatting_->value() ? Texts::automaticClearingOnSubtitle
                                                                          : Texts::automaticClearingOffSubtitle);
}

HideMenuBarIconSetting::HideMenuBarIconSetting(QWidget* parent)
    : PreferenceToggle(Texts::hideMenuBarIcon, Keys::hideMenuBarIcon(), false, parent) {
  onChange([this](bool hidden) {
    if (!hidden) return;
    kit::alertPresenter().beginSheet(kit::makeAlert(Texts::hideMenuBarIconAlert), window(), kit::emptyAction);
  });
}

QWidget* makeGeneralSettings() {
  auto* form = new kit::SettingsForm;
  form->addSection()->addRow(new AutomaticallyClearFormattingSetting);

  kit::SettingsSection* appearance = form->addSection();
  appearance->addRow(new kit::LaunchAtLoginToggle(Texts::launchAtLogin));
  appearance->addRow(new HideMenuBarIconSetting);
  auto* dim = new kit::Preferences::PreferenceToggle(Texts::dimMenuBarIcon, Keys::dimMenuBarIconWhenDisabled());
  dim->setToolTip(Texts::dimMenuBarIconToolTip);
  appearance->addRow(dim);
  return form;
}

}  // namespace app
