#include "app/shortcut_settings.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "app/settings_texts.h"
#include "engine/preference_keys.h"
#include "engine/shortcut_names.h"
#include "kit/shortcuts/labeled_recorder.h"
#include "kit/shortcuts/storage.h"
#include "kit/ui/error_alert.h"
#include "kit/ui/every_second_timeline.h"
#include "kit/ui/hover_tooltip.h"
#include "kit/ui/on_screen_tracking.h"
#include "kit/ui/settings_form.h"
#include "kit/ui/symbol_icons.h"
#include "platform/system/synthetic_keys.h"

namespace app {

namespace {

namespace Keys = kit::Preferences::Keys;
namespace Names = kit::GlobalShortcuts::Names;
namespace Texts = SettingsTexts;

constexpr int noticeSize = 16;
constexpr int noticeToRecorder = 6;
constexpr int noticePopoverWidth = 240;
constexpr int64_t ctrlAlone = 256;
constexpr int64_t keyCodeC = 8;
constexpr int64_t keyCodeV = 9;

QWidget* noticeExplanation() {
  auto* content = new QWidget;
  auto* layout = new QVBoxLayout(content);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(16);
  auto* text = new QLabel(Texts::noAccessExplanation, content);
  text->setWordWrap(true);
  text->setAlignment(Qt::AlignCenter);
  layout->addWidget(text);
  return content;
}

}  // namespace

PermissionNotice::PermissionNotice(kit::GlobalShortcuts::Name name, QWidget* parent)
    : QLabel(parent), name_(std::move(name)) {
  setPixmap(kit::symbolIcon("exclamationmark.circle.fill").pixmap(noticeSize, noticeSize));
  setFixedSize(noticeSize, noticeSize);
  setAccessibleName(Texts::noAccess);
  constexpr int padding = 16;
  tooltip_ = new kit::HoverTooltip(
      *this, noticeExplanation,
      {.contentWidth = noticePopoverWidth - 2 * padding, .padding = QMargins(padding, padding, padding, padding)});
  new kit::Timeline(this, [this] { check(); });
}

void PermissionNotice::check() {
  const bool needed = kit::GlobalShortcuts::getShortcut(name_).has_value() && !platform::SyntheticKeys::canPost();
  setVisible(needed);
}

ShortcutSetting::ShortcutSetting(const kit::GlobalShortcuts::Name& name, const std::string& title,
                                 std::optional<ClearingShortcut> clearing, QWidget* parent)
    : QWidget(parent), name_(name), clearing_(std::move(clearing)), error_(kit::errorAlert(*this)) {
  kit::GlobalShortcuts::Recorder::OnChange onChange;
  if (clearing_) onChange = [this](const std::optional<kit::GlobalShortcuts::Shortcut>& s) { recorded(s); };
  auto* row = new kit::GlobalShortcuts::LabeledRecorder(
      name, std::move(onChange),
      [&]() -> QWidget* {
        auto* label = new QWidget;
        auto* layout = new QHBoxLayout(label);
        layout->setContentsMargins(0, 0, 0, 0);
        title_ = new QLabel(QString::fromStdString(title), label);
        title_->setTextFormat(Qt::PlainText);
        // A long title wraps rather than being cut where the font is larger.
        title_->setWordWrap(true);
        title_->setAccessibleName(title_->text());
        label->setAccessibleName(title_->text());
        layout->addWidget(title_, 1);
        if (clearing_) {
          // The notice sits just left of the recorder and takes its place whether or not it shows.
          noticeSlot_ = new QWidget(label);
          noticeSlot_->setFixedSize(noticeSize, noticeSize);
          auto* slotLayout = new QHBoxLayout(noticeSlot_);
          slotLayout->setContentsMargins(0, 0, 0, 0);
          layout->addWidget(noticeSlot_);
          layout->addSpacing(noticeToRecorder);
        }
        return label;
      },
      this);
  recorder_ = &row->recorder();
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(row);
  if (clearing_) kit::onScreenChange(*this, [this](bool onScreen) { setOnScreen(onScreen); });
}

void ShortcutSetting::setOnScreen(bool onScreen) {
  if (!onScreen) {
    delete notice_.data();
    return;
  }
  if (notice_) return;
  notice_ = new PermissionNotice(name_, noticeSlot_);
  noticeSlot_->layout()->addWidget(notice_);
}

void ShortcutSetting::recorded(const std::optional<kit::GlobalShortcuts::Shortcut>& shortcut) {
  if (!shortcut) return;
  // Recording stays as it is: these only advise.
  if (kit::Preferences::get(Keys::automaticallyClearFormatting())) return warn(Texts::needlessShortcutWarning);
  if (shortcut->carbonKeyCode == clearing_->harmfulKeyCode && shortcut->carbonModifiers == ctrlAlone)
    warn(clearing_->harmfulKeyWarning);
}

void ShortcutSetting::warn(const std::string& text) { error_.set(std::make_shared<const kit::GeneralError>(text)); }

CopyAndClearFormattingShortcutSetting::CopyAndClearFormattingShortcutSetting(QWidget* parent)
    : ShortcutSetting(Names::copyAndClearFormatting(), Texts::copyAndClearFormatting,
                      ClearingShortcut{keyCodeC, Texts::copyShortcutWarning}, parent) {}

ClearFormattingShortcutSetting::ClearFormattingShortcutSetting(QWidget* parent)
    : ShortcutSetting(Names::clearFormatting(), Texts::clearFormattingAndPaste,
                      ClearingShortcut{keyCodeV, Texts::pasteShortcutWarning}, parent) {}

QWidget* makeShortcutsSettings() {
  auto* form = new kit::SettingsForm;
  kit::SettingsSection* rows = form->addSection();
  rows->addRow(new CopyAndClearFormattingShortcutSetting);
  rows->addRow(new ClearFormattingShortcutSetting);
  rows->addRow(new ShortcutSetting(Names::toggleAutomaticallyClearFormatting(),
                                   Texts::toggleAutomaticallyClearFormatting, std::nullopt));
  return form;
}

}  // namespace app
