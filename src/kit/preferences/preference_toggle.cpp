#include "kit/preferences/preference_toggle.h"

#include <QAccessible>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPointer>
#include <QSignalBlocker>
#include <QThread>

#include "kit/foundation/verbatim_title.h"

namespace kit::Preferences {

PreferenceToggle::PreferenceToggle(const QString& title, const Key<bool>& key, bool inverted, QWidget* parent)
    : QCheckBox(verbatimTitle(title), parent), key_(key), inverted_(inverted) {
  observable_ = Observable<bool>::make(key_);
  // Every change of state, whatever made it (a click, the keyboard, a screen reader's toggle), is stored once through
  // the observable, which announces it first; the box's own updates from the stored value are made with its signals
  // blocked.
  connect(this, &QCheckBox::toggled, this,
          [this](bool checked) { observable_->setValue(inverted_ ? !checked : checked); });
  // The box follows each change of the key at once where it is made on its thread, else through the event loop.
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
  // The box shows the observable's value; the action follows the stored value, whatever the box shows.
  const bool value = observable_->value();
  if (const bool shown = inverted_ ? !value : value; isChecked() != shown) {
    QSignalBlocker block(this);
    setChecked(shown);
  }
  // The action hears of changes while the toggle is on screen; one made while it is hidden is only shown.
  const bool changed = lastStored_ && *lastStored_ != stored;
  lastStored_ = stored;
  if (changed && action_ && isVisible()) action_(stored);
}

namespace {

// The text a widget shows, as a screen reader reads it: its own accessible name, else its parts' in order.
QString textShown(QWidget& widget) {
  std::function<QString(QAccessibleInterface*)> read = [&read](QAccessibleInterface* node) {
    if (node == nullptr) return QString();
    QString name = node->text(QAccessible::Name).trimmed();
    if (!name.isEmpty()) return name;
    QStringList parts;
    for (int index = 0; index < node->childCount(); ++index)
      if (QString part = read(node->child(index)); !part.isEmpty()) parts << part;
    return parts.join(' ');
  };
  return read(QAccessible::queryAccessibleInterface(&widget));
}

}  // namespace

LabeledPreferenceToggle::LabeledPreferenceToggle(const Key<bool>& key, bool inverted,
                                                 const std::function<QWidget*()>& label, QWidget* parent)
    : LabeledToggle(new PreferenceToggle(QString(), key, inverted), label, parent) {}

}  // namespace kit::Preferences

namespace kit {

LabeledToggle::LabeledToggle(QCheckBox* box, const std::function<QWidget*()>& label, QWidget* parent)
    : QWidget(parent), box_(box), label_(label()) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(box_);
  row->addWidget(label_, 1);
  // The label's parts too: one that takes clicks of its own (a label with links) would not pass them on.
  label_->installEventFilter(this);
  for (QWidget* part : label_->findChildren<QWidget*>()) part->installEventFilter(this);
  refreshAccessibleName();
}

void LabeledToggle::refreshAccessibleName() { box_->setAccessibleName(Preferences::textShown(*label_)); }

bool LabeledToggle::eventFilter(QObject* watched, QEvent* event) {
  auto* part = qobject_cast<QWidget*>(watched);
  if (part && event->type() == QEvent::MouseButtonRelease && box_->isEnabled() &&
      (part == label_ || label_->isAncestorOf(part))) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    // A link under the pointer (a label shows the pointing hand over one) keeps its click.
    const bool isOnLink = part->testAttribute(Qt::WA_SetCursor) && part->cursor().shape() == Qt::PointingHandCursor;
    if (mouse->button() == Qt::LeftButton && !isOnLink &&
        label_->rect().contains(part->mapTo(label_, mouse->position().toPoint()))) {
      box_->click();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace kit
