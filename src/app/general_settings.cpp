#include "app/general_settings.h"

#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>

#include "app/settings_texts.h"
#include "engine/preference_keys.h"
#include "kit/app/launch_at_login_toggle.h"
#include "kit/foundation/alert.h"
#include "kit/ui/settings_form.h"
#include "kit/ui/text_styles.h"

namespace app {

namespace {

namespace Keys = kit::Preferences::Keys;
namespace Texts = SettingsTexts;

}  // namespace

AutomaticallyClearFormattingSetting::AutomaticallyClearFormattingSetting(QWidget* parent)
    : QWidget(parent), automaticallyClearFormatting_(Keys::automaticallyClearFormatting()) {
  auto* label = new QWidget;
  auto* lines = new QVBoxLayout(label);
  lines->setContentsMargins(0, 0, 0, 0);
  lines->setSpacing(0);
  auto* title = new QLabel(Texts::automaticallyClearFormatting);
  title->setTextFormat(Qt::PlainText);
  lines->addWidget(title);
  subtitle_ = kit::markdownLabel("");
  kit::applySecondaryTextStyle(*subtitle_, kit::smallSystemFontSize());
  subtitle_->setContentsMargins(0, 4, 0, 0);
  lines->addWidget(subtitle_);
  row_ = new kit::Preferences::LabeledPreferenceToggle(
      Keys::automaticallyClearFormatting(), false, [label] { return label; }, this);
  // The box stands beside the title, not halfway down the subtitle.
  row_->layout()->setAlignment(toggle(), Qt::AlignTop);
  setToolTip(Texts::automaticallyClearFormattingToolTip);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(row_);

  subscription_ =
      automaticallyClearFormatting_.objectWillChange().sink([this](const platform::rx::Unit&) { showSubtitle(); });
  showSubtitle();
}

void AutomaticallyClearFormattingSetting::showSubtitle() {
  kit::setMarkdownText(*subtitle_, automaticallyClearFormatting_.value() ? Texts::automaticClearingOnSubtitle
                                                                         : Texts::automaticClearingOffSubtitle);
  row_->refreshAccessibleName();
}

HideMenuBarIconSetting::HideMenuBarIconSetting(QWidget* parent)
    : PreferenceToggle(Texts::hideMenuBarIcon, Keys::hideMenuBarIcon(), false, parent) {
  onChange([this](bool hidden) { setAlertPresented(hidden); });
}

void HideMenuBarIconSetting::setAlertPresented(bool presented) {
  if (presented == isAlertPresented_) return;
  isAlertPresented_ = presented;
  // The hint is the latest alert over the window while it is up; ending it answers it as no button would.
  if (!presented) return kit::alertPresenter().endSheet(window());
  QPointer<HideMenuBarIconSetting> self(this);
  kit::alertPresenter().beginSheet(kit::makeAlert(Texts::hideMenuBarIconAlert), window(),
                                   [self](const kit::AlertResponse&) {
                                     if (self) self->isAlertPresented_ = false;
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
