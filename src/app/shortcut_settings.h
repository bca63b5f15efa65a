#pragma once

#include <QLabel>
#include <QPointer>
#include <memory>
#include <optional>
#include <string>

#include "kit/foundation/binding.h"
#include "kit/foundation/general_error.h"
#include "kit/shortcuts/name.h"
#include "kit/shortcuts/recorder.h"

namespace kit {
class HoverTooltip;
}

namespace app {

// The sign left of a clearing shortcut's recorder that tells, while the row is on screen, that the shortcut
// cannot paste on the user's behalf here: shown only while the name has a shortcut and synthetic keys cannot
// be posted, checked again every second. Resting the pointer on it explains why.
class PermissionNotice : public QLabel {
  Q_OBJECT

 public:
  explicit PermissionNotice(kit::GlobalShortcuts::Name name, QWidget* parent = nullptr);

  // Checks again at once.
  void check();
  kit::HoverTooltip* tooltip() const { return tooltip_; }

 private:
  kit::GlobalShortcuts::Name name_;
  kit::HoverTooltip* tooltip_;
};

// One shortcut row: the title and the recorder of a name. A clearing shortcut's row also advises against a
// shortcut that is not needed or that does harm, and carries the permission notice while it is on screen.
class ShortcutSetting : public QWidget {
  Q_OBJECT

 public:
  // What a clearing shortcut's row warns about besides a shortcut set while clearing is automatic: this key
  // with Ctrl alone.
  struct ClearingShortcut {
    int64_t harmfulKeyCode;
    std::string harmfulKeyWarning;
  };

  ShortcutSetting(const kit::GlobalShortcuts::Name& name, const std::string& title,
                  std::optional<ClearingShortcut> clearing, QWidget* parent = nullptr);

  kit::GlobalShortcuts::Recorder* recorder() const { return recorder_; }
  QLabel* title() const { return title_; }
  // Exists only while the row is on screen.
  PermissionNotice* notice() const { return notice_; }
  // The warning being shown, if any.
  std::shared_ptr<const kit::Error> error() const { return error_.get(); }

 private:
  void recorded(const std::optional<kit::GlobalShortcuts::Shortcut>& shortcut);
  void warn(const std::string& text);
  void setOnScreen(bool onScreen);

  kit::GlobalShortcuts::Name name_;
  std::optional<ClearingShortcut> clearing_;
  QLabel* title_;
  kit::GlobalShortcuts::Recorder* recorder_;
  QWidget* noticeSlot_ = nullptr;
  QPointer<PermissionNotice> notice_;
  kit::Binding<std::shared_ptr<const kit::Error>> error_;
};

// The Shortcuts tab.
QWidget* makeShortcutsSettings();

}  // namespace app
