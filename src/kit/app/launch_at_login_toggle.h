#pragma once

#include <QCheckBox>
#include <functional>

#include "kit/foundation/text_from_key.h"
#include "kit/preferences/preference_toggle.h"
#include "platform/core/rx.h"

namespace kit {

// A checkbox that shows whether the application launches at login and switches it. It reads the real state
// whenever it is shown and after every change made through any such checkbox, so a change that failed
// springs back.
class LaunchAtLoginToggle : public QCheckBox {
  Q_OBJECT

 public:
  // The title is shown as written.
  explicit LaunchAtLoginToggle(const QString& title = QStringLiteral("Launch at login"), QWidget* parent = nullptr);
  // The title is the text looked up for the key.
  explicit LaunchAtLoginToggle(const LocalizedStringKey& title, QWidget* parent = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void showRealState();

  platform::rx::AnyCancellable willChange_;
};

// The same toggle with any widget of the caller's as its label (made by `label`), beside its box.
class LabeledLaunchAtLoginToggle : public LabeledToggle {
  Q_OBJECT

 public:
  explicit LabeledLaunchAtLoginToggle(const std::function<QWidget*()>& label, QWidget* parent = nullptr);

  LaunchAtLoginToggle& toggle() { return static_cast<LaunchAtLoginToggle&>(box()); }
};

}  // namespace kit
