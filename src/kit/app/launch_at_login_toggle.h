#pragma once

#include <QCheckBox>

#include "platform/core/rx.h"

namespace kit {

// A checkbox that shows whether the application launches at login and switches it. It reads the real state
// whenever it is shown and after every change made through any such checkbox, so a change that failed
// springs back.
class LaunchAtLoginToggle : public QCheckBox {
  Q_OBJECT

 public:
  explicit LaunchAtLoginToggle(const QString& title = QStringLiteral("Launch at login"), QWidget* parent = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void showRealState();

  platform::rx::AnyCancellable willChange_;
};

}  // namespace kit
