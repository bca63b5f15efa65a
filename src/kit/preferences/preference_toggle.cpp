#include "kit/preferences/preference_toggle.h"

#include <QPointer>
#include <QSignalBlocker>
#include <QThread>

namespace kit::Preferences {

PreferenceToggle::PreferenceToggle(const QString& title, const Key<bool>& key, bool inverted, QWidget* parent)
    : QCheckBox(title, parent), key_(key), inverted_(inverted) {
  connect(this, &QCheckBox::clicked, this, [this](bool checked) { set(key_, inverted_ ? !checked : checked); });
  subscription_ = changePublisher(key_).sink([this](const KeyChange<bool>& change) {
    bool stored = change.newValue;
    if (QThread::currentThread() == thread()) {
      showStored(stored);
    } else {
      // Cancelling the subscription waits for a running delivery, and a queued call dies with its receiver.
      QMetaObject::invokeMethod(
          this, [this, stored] { showStored(stored); }, Qt::QueuedConnection);
    }
  });
}

PreferenceToggle::~PreferenceToggle() { subscription_.cancel(); }

PreferenceToggle& PreferenceToggle::onChange(std::function<void(bool)> action) {
  action_ = std::move(action);
  return *this;
}

void PreferenceToggle::showStored(bool stored) {
  bool shown = inverted_ ? !stored : stored;
  if (isChecked() != shown) {
    QSignalBlocker block(this);
    setChecked(shown);
  }
  bool changed = lastStored_ && *lastStored_ != stored;
  lastStored_ = stored;
  if (changed && action_) action_(stored);
}

}  // namespace kit::Preferences
