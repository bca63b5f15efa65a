#include "app/extras_settings.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>

#include "app/javascript_editor.h"
#include "app/settings_texts.h"
#include "engine/preference_keys.h"
#include "kit/app/standard_menu.h"
#include "kit/app/zv_kit.h"
#include "kit/foundation/alert.h"
#include "kit/ui/info_popover_button.h"
#include "kit/ui/settings_form.h"
#include "kit/ui/text_styles.h"
#include "kit/ui/url_opening.h"

namespace app {

namespace {

namespace Keys = kit::Preferences::Keys;
namespace Texts = SettingsTexts;
using kit::Preferences::PreferenceToggle;

constexpr int trackingHelpWidth = 390;
constexpr int listsHelpWidth = 200;
constexpr int compatibilityHelpWidth = 350;

kit::InfoPopoverButton* smallInfoButton(const std::string& markdown, std::optional<int> maxWidth) {
  auto* button = kit::InfoPopoverButton::withMarkdown(markdown, maxWidth);
  button->setControlSize(kit::ControlSize::small);
  return button;
}

// Lays out a switch with its "?" button right after its title.
void layOutToggleWithInfo(QWidget& row, QWidget* toggle, kit::InfoPopoverButton* info) {
  auto* layout = new QHBoxLayout(&row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(toggle, 0, Qt::AlignVCenter);
  layout->addWidget(info, 0, Qt::AlignVCenter);
  layout->addStretch(1);
}

QWidget* improveCompatibilitySetting() {
  auto* toggle =
      new kit::Preferences::LabeledPreferenceToggle(Keys::improveCompatibilityWithAppendOperations(), false, [] {
        // The title wraps onto as many lines as it needs.
        auto* title = new QLabel(Texts::improveCompatibility);
        title->setTextFormat(Qt::PlainText);
        title->setWordWrap(true);
        return title;
      });
  auto* row = new QWidget;
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(toggle, 1, Qt::AlignVCenter);
  layout->addWidget(smallInfoButton(Texts::improveCompatibilityHelp, compatibilityHelpWidth), 0, Qt::AlignVCenter);
  return row;
}

}  // namespace

QWidget* preserveLinksHelp() {
  const std::string page = kit::ZvKit::Metadata::current().website.absoluteString();
  auto* help = new QWidget;
  auto* layout = new QGridLayout(help);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto lines = [](const std::string& text) {
    QLabel* label = kit::markdownLabel(kit::markdownKeepingLines(text));
    label->setWordWrap(false);
    return label;
  };
  layout->addWidget(lines("Clear all formatting except for links."), 0, 0, 1, 2);
  // Titles and examples in two columns of as many lines, each starting with the blank line under the sentence.
  layout->addWidget(lines("\nOriginal:\nWhen disabled:\nWhen enabled:"), 1, 0);
  layout->addWidget(lines("\n~~Ducks~~ **are** [fun](" + page + ")\nDucks are fun\nDucks are [fun](" + page + ")"), 1,
                    1);
  // The examples start six blanks after the longest title.
  layout->setHorizontalSpacing(help->fontMetrics().horizontalAdvance(QString(6, ' ')));
  return help;
}

PreserveLinksSetting::PreserveLinksSetting(QWidget* parent) : QWidget(parent) {
  toggle_ = new PreferenceToggle(Texts::preserveLinks, Keys::preserveLinks(), false);
  toggle_->setToolTip(Texts::preserveLinksToolTip);
  toggle_->onChange([this](bool preserved) {
    // One warning at a time: switched off and on again from elsewhere while it is up, it stays the one shown.
    if (!preserved || isWarningPresented_) return;
    isWarningPresented_ = true;
    QPointer<PreserveLinksSetting> self(this);
    kit::alertPresenter().beginSheet(
        kit::makeAlert(Texts::compatibilityWarningTitle, Texts::compatibilityWarningMessage, std::nullopt,
                       kit::AlertStyle::warning, std::nullopt, {"OK", Texts::learnMore}),
        window(), [self](kit::AlertResponse response) {
          if (self) self->isWarningPresented_ = false;
          if (response.code == kit::alertFirstButtonReturn + 1) kit::openUrl(kit::websiteWithFragment("word-bug"));
        });
  });
  auto* help = new kit::InfoPopoverButton(preserveLinksHelp);
  help->setControlSize(kit::ControlSize::small);
  layOutToggleWithInfo(*this, toggle_, help);
}

RemoveTrackingParametersSetting::RemoveTrackingParametersSetting(QWidget* parent) : QWidget(parent) {
  toggle_ = new PreferenceToggle(Texts::removeTrackingParameters, Keys::removeTrackingParametersFromURLs());
  toggle_->setToolTip(Texts::removeTrackingParametersToolTip);
  layOutToggleWithInfo(
      *this, toggle_,
      smallInfoButton(kit::markdownKeepingLines(Texts::removeTrackingParametersHelp), trackingHelpWidth));
}

NormalizeUnorderedListsSetting::NormalizeUnorderedListsSetting(QWidget* parent) : QWidget(parent) {
  toggle_ = new PreferenceToggle(Texts::normalizeUnorderedLists, Keys::normalizeUnorderedLists());
  layOutToggleWithInfo(*this, toggle_,
                       smallInfoButton(kit::markdownKeepingLines(Texts::normalizeUnorderedListsHelp), listsHelpWidth));
}

TransformTextWithJavaScriptSetting::TransformTextWithJavaScriptSetting(QWidget* parent)
    : QWidget(parent),
      preserveLinks_(Keys::preserveLinks()),
      transformTextWithJavaScript_(Keys::transformTextWithJavaScript()) {
  title_ = new QLabel(Texts::transformTextWithJavaScript, this);
  conflictNote_ = new QLabel(Texts::scriptConflictsWithPreserveLinks, this);
  conflictNote_->setWordWrap(true);
  kit::applySecondaryTextStyle(*conflictNote_, kit::smallSystemFontSize());

  edit_ = new kit::NativeButton(
      {.title = Texts::editScript, .controlSize = kit::ControlSize::small, .action = [this] { presentEditor(); }},
      this);
  // Hidden while the script is off, without the row changing its layout.
  QSizePolicy keepsPlace = edit_->sizePolicy();
  keepsPlace.setRetainSizeWhenHidden(true);
  edit_->setSizePolicy(keepsPlace);

  toggle_ = new PreferenceToggle("", Keys::transformTextWithJavaScript(), false, this);
  toggle_->setAccessibleName(Texts::scriptIsEnabled);

  auto* label = new QWidget(this);
  auto* labelLayout = new QVBoxLayout(label);
  labelLayout->setContentsMargins(0, 0, 0, 0);
  labelLayout->setSpacing(2);
  labelLayout->addWidget(title_);
  labelLayout->addWidget(conflictNote_);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(label, 1);
  layout->addWidget(edit_, 0, Qt::AlignVCenter);
  layout->addWidget(toggle_, 0, Qt::AlignVCenter);

  lastPreserveLinks_ = preserveLinks_.value();
  lastScript_ = transformTextWithJavaScript_.value();
  auto onChange = [this](const platform::rx::Unit&) { showState(); };
  preserveLinksChanges_ = preserveLinks_.objectWillChange().sink(onChange);
  scriptChanges_ = transformTextWithJavaScript_.objectWillChange().sink(onChange);
  showState();
}

void TransformTextWithJavaScriptSetting::showState() {
  const bool preserveLinks = preserveLinks_.value();
  const bool script = transformTextWithJavaScript_.value();
  const bool linksSwitchedOn = preserveLinks && !lastPreserveLinks_;
  const bool scriptSwitchedOn = script && !lastScript_;
  lastPreserveLinks_ = preserveLinks;
  lastScript_ = script;

  conflictNote_->setVisible(preserveLinks);
  setEnabled(!preserveLinks);
  edit_->setVisible(script);

  // Only a row on screen acts on changes.
  if (!isVisible()) return;
  if (linksSwitchedOn && script) transformTextWithJavaScript_.set(false);
  if (scriptSwitchedOn) presentEditor();
}

void TransformTextWithJavaScriptSetting::presentEditor() {
  if (isEditorPresented_) return;
  isEditorPresented_ = true;
  QPointer<TransformTextWithJavaScriptSetting> self(this);
  presentJavaScriptEditor(window(), [self] {
    if (self) self->isEditorPresented_ = false;
  });
}

QWidget* makeExtrasSettings() {
  auto* form = new kit::SettingsForm;
  kit::SettingsSection* clearing = form->addSection(Texts::whenClearingFormatting);
  clearing->addRow(new PreserveLinksSetting);
  clearing->addRow(new RemoveTrackingParametersSetting);
  clearing->addRow(new PreferenceToggle(Texts::trimWhitespace, Keys::trimLeadingAndTrailingWhitespace()));
  clearing->addRow(new NormalizeUnorderedListsSetting);

  form->addSection(Texts::compatibility)->addRow(improveCompatibilitySetting());
  form->addSection(Texts::advanced)->addRow(new TransformTextWithJavaScriptSetting);
  return form;
}

}  // namespace app
