#pragma once

#include <QCheckBox>
#include <functional>
#include <memory>
#include <optional>

#include "kit/preferences/observable.h"
#include "kit/preferences/publishers.h"

namespace kit {

// A check box whose label is a widget of the caller's (made by `label`), beside the box, which the row takes. Clicking
// the label, or any part of it but a link, switches the box as clicking the box does.
class LabeledToggle : public QWidget {
  Q_OBJECT

 public:
  LabeledToggle(QCheckBox* box, const std::function<QWidget*()>& label, QWidget* parent = nullptr);

  QCheckBox& box() { return *box_; }
  QWidget* label() const { return label_; }
  // Has screen readers read what the label shows now, after the caller changed it.
  void refreshAccessibleName();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QCheckBox* box_;
  QWidget* label_;
};

}  // namespace kit

namespace kit::Preferences {

// A checkbox bound to a Bool key through its observable: it shows the value (its negation when inverted), follows
// every change of the key, also from other threads and other programs, and stores each change the user makes (with
// the mouse, the keyboard or assistive technology). The change action receives the stored value (not the box's state)
// whenever it changes while the toggle is on screen.
class PreferenceToggle : public QCheckBox {
  Q_OBJECT

 public:
  PreferenceToggle(const QString& title, const Key<bool>& key, bool inverted = false, QWidget* parent = nullptr);
  ~PreferenceToggle() override;

  PreferenceToggle& onChange(std::function<void(bool)> action);

 private:
  void showStored(bool stored);

  Key<bool> key_;
  bool inverted_;
  std::shared_ptr<Observable<bool>> observable_;
  std::function<void(bool)> action_;
  std::optional<bool> lastStored_;
  rx::AnyCancellable subscription_;
};

// The same toggle with a label of the caller's (any widget, made by `label`) beside its box.
class LabeledPreferenceToggle : public LabeledToggle {
  Q_OBJECT

 public:
  LabeledPreferenceToggle(const Key<bool>& key, bool inverted, const std::function<QWidget*()>& label,
                          QWidget* parent = nullptr);

  PreferenceToggle& toggle() { return static_cast<PreferenceToggle&>(box()); }
};

}  // namespace kit::Preferences
