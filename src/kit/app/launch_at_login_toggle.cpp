#include "kit/app/launch_at_login_toggle.h"

#include <QSignalBlocker>

#include "kit/app/launch_at_login.h"
#include "kit/foundation/verbatim_title.h"

namespace kit {

LaunchAtLoginToggle::LaunchAtLoginToggle(const QString& title, QWidget* parent)
    : QCheckBox(verbatimTitle(title), parent) {
  // Whatever switched it (a click, the keyboard, a screen reader); showing the real state blocks the signal.
  connect(this, &QCheckBox::toggled, this, [](bool checked) { LaunchAtLogin::shared().setEnabled(checked); });
  // The announcement comes before the change: the state is read on the next turn of the loop, after it.
  willChange_ = LaunchAtLogin::shared().objectWillChange.publisher().sink([this](const platform::rx::Unit&) {
    QMetaObject::invokeMethod(this, &LaunchAtLoginToggle::showRealState, Qt::QueuedConnection);
  });
  showRealState();
}

LaunchAtLoginToggle::LaunchAtLoginToggle(const LocalizedStringKey& title, QWidget* parent)
    : LaunchAtLoginToggle(QString::fromStdString(Text::fromKey(title.key)), parent) {}

void LaunchAtLoginToggle::showEvent(QShowEvent* event) {
  showRealState();
  QCheckBox::showEvent(event);
}

void LaunchAtLoginToggle::showRealState() {
  const QSignalBlocker block(this);
  setChecked(LaunchAtLogin::shared().isEnabled());
}

LabeledLaunchAtLoginToggle::LabeledLaunchAtLoginToggle(const std::function<QWidget*()>& label, QWidget* parent)
    : LabeledToggle(new LaunchAtLoginToggle(QString()), label, parent) {}

}  // namespace kit
