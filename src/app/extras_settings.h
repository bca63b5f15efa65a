#pragma once

#include <QWidget>

#include "kit/preferences/default.h"
#include "kit/preferences/preference_toggle.h"

class QLabel;

namespace kit {
class InfoPopoverButton;
class NativeButton;
}  // namespace kit

namespace app {

// "Preserve links" with its explanation; switching it on warns that pasted text may keep its own font.
class PreserveLinksSetting : public QWidget {
  Q_OBJECT

 public:
  explicit PreserveLinksSetting(QWidget* parent = nullptr);
  kit::Preferences::PreferenceToggle* toggle() const { return toggle_; }
  bool isWarningPresented() const { return isWarningPresented_; }

 private:
  kit::Preferences::PreferenceToggle* toggle_;
  bool isWarningPresented_ = false;
};

// "Remove tracking parameters from URLs" with its explanation.
class RemoveTrackingParametersSetting : public QWidget {
  Q_OBJECT

 public:
  explicit RemoveTrackingParametersSetting(QWidget* parent = nullptr);
  kit::Preferences::PreferenceToggle* toggle() const { return toggle_; }

 private:
  kit::Preferences::PreferenceToggle* toggle_;
};

// "Normalize unordered lists" with its explanation.
class NormalizeUnorderedListsSetting : public QWidget {
  Q_OBJECT

 public:
  explicit NormalizeUnorderedListsSetting(QWidget* parent = nullptr);
  kit::Preferences::PreferenceToggle* toggle() const { return toggle_; }

 private:
  kit::Preferences::PreferenceToggle* toggle_;
};

// "Transform text with JavaScript": the script's switch and "Edit…". Keeping links and running the script
// exclude each other: while links are preserved the row is dimmed and says why, and switching "Preserve links"
// on switches the script off. Switching the script on opens the editor.
class TransformTextWithJavaScriptSetting : public QWidget {
  Q_OBJECT

 public:
  explicit TransformTextWithJavaScriptSetting(QWidget* parent = nullptr);

  kit::Preferences::PreferenceToggle* toggle() const { return toggle_; }
  kit::NativeButton* editButton() const { return edit_; }
  QLabel* title() const { return title_; }
  QLabel* conflictNote() const { return conflictNote_; }
  bool isEditorPresented() const { return isEditorPresented_; }

 private:
  void showState();
  void presentEditor();

  QLabel* title_;
  QLabel* conflictNote_;
  kit::NativeButton* edit_;
  kit::Preferences::PreferenceToggle* toggle_;
  kit::Preferences::Default<bool> preserveLinks_;
  kit::Preferences::Default<bool> transformTextWithJavaScript_;
  platform::rx::AnyCancellable preserveLinksChanges_;
  platform::rx::AnyCancellable scriptChanges_;
  bool lastPreserveLinks_ = false;
  bool lastScript_ = false;
  bool isEditorPresented_ = false;
};

// The explanation of "Preserve links", new for each opening of its popover. Its three examples stand in a column of
// their own: blanks between a title and its example would line the examples up in one font only.
QWidget* preserveLinksHelp();

// The Extras tab.
QWidget* makeExtrasSettings();

}  // namespace app
