#pragma once

#include <QWidget>

#include "kit/preferences/default.h"
#include "kit/preferences/preference_toggle.h"

class QLabel;

namespace app {

// "Automatically clear formatting", labelled with its title and a subtitle that tells what to do instead while it is
// on or off; a click on either switches it.
class AutomaticallyClearFormattingSetting : public QWidget {
  Q_OBJECT

 public:
  explicit AutomaticallyClearFormattingSetting(QWidget* parent = nullptr);

  kit::Preferences::PreferenceToggle* toggle() const { return &row_->toggle(); }
  QLabel* subtitle() const { return subtitle_; }

 private:
  void showSubtitle();

  QLabel* subtitle_;
  kit::Preferences::LabeledPreferenceToggle* row_;
  kit::Preferences::Default<bool> automaticallyClearFormatting_;
  platform::rx::AnyCancellable subscription_;
};

// "Hide menu bar icon": hiding it tells how to reach the icon again, in one hint that closes when the icon is shown
// again.
class HideMenuBarIconSetting : public kit::Preferences::PreferenceToggle {
  Q_OBJECT

 public:
  explicit HideMenuBarIconSetting(QWidget* parent = nullptr);

  bool isAlertPresented() const { return isAlertPresented_; }

 private:
  void setAlertPresented(bool presented);

  bool isAlertPresented_ = false;
};

// The General tab.
QWidget* makeGeneralSettings();

}  // namespace app
