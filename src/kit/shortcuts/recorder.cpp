#include "kit/shortcuts/recorder.h"

#include <QAction>
#include <QApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyle>
#include <QStyleOptionFrame>
#include <algorithm>
#include <utility>

#include "kit/foundation/alert.h"
#include "kit/foundation/verbatim_title.h"
#include "kit/shortcuts/function_keys.h"
#include "kit/shortcuts/handlers.h"
#include "kit/shortcuts/key_display_names.h"
#include "kit/shortcuts/menu_item_shortcut.h"
#include "kit/shortcuts/storage.h"
#include "platform/system/hot_keys.h"
#include "platform/system/modifier_flags.h"

namespace kit::GlobalShortcuts {

namespace {

constexpr const char* idlePlaceholder = "Record Shortcut";
constexpr const char* recordingPlaceholder = "Press Shortcut";
// A click this close to the field still counts as inside.
constexpr int clickSlop = 3;

std::function<QMenu*()>& applicationMenu() {
  static std::function<QMenu*()> menu;
  return menu;
}

}  // namespace

Recorder::Recorder(Name name, OnChange onChange, QWidget* parent)
    : QLineEdit(parent), shortcutName_(std::move(name)), onChange_(std::move(onChange)) {
  setPlaceholderText(idlePlaceholder);
  setAlignment(Qt::AlignCenter);
  setReadOnly(true);  // keys are taken as a whole, never typed; no caret
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  clearAction_ = addAction(style()->standardIcon(QStyle::SP_LineEditClearButton), QLineEdit::TrailingPosition);
  clearAction_->setToolTip("Clear");
  connect(clearAction_, &QAction::triggered, this, [this] { clearShortcut(); });
  connect(qApp, &QApplication::focusChanged, this, &Recorder::handleFocusChange);
  refreshText();

  QPointer<Recorder> self(this);
  shortcutsNameChangeObserver_ = platform::NotificationCenter::defaultCenter().addObserver(
      shortcutByNameDidChange, [self](const platform::Notification& notification) {
        if (self.isNull()) return;
        auto it = notification.userInfo.find("name");
        if (it == notification.userInfo.end()) return;
        const auto* changed = std::any_cast<Name>(&it->second);
        if (changed != nullptr && changed->rawValue == self->shortcutName_.rawValue) self->refreshText();
      });
}

Recorder::~Recorder() {
  // Qt reports the focus leaving as the widget underneath goes, after this part of it is gone.
  disconnect(qApp, &QApplication::focusChanged, this, &Recorder::handleFocusChange);
  endRecording();
}

void Recorder::setShortcutName(Name name) {
  const bool changed = name.rawValue != shortcutName_.rawValue;
  shortcutName_ = std::move(name);
  if (changed) refreshText();
}

void Recorder::setApplicationMenu(std::function<QMenu*()> menu) { applicationMenu() = std::move(menu); }

QSize Recorder::sizeHint() const {
  const QSize lineEdit = QLineEdit::sizeHint();
  // Qt's hint is room for 17 "x" besides the frame, the margins and the clear button while it shows. The text shown
  // takes that room instead, with the pixel Qt keeps for the caret: wider text would be cut.
  const QFontMetrics metrics(font());
  const QString shown = text().isEmpty() ? placeholderText() : text();
  const int needed = lineEdit.width() - 17 * metrics.horizontalAdvance(u'x') + metrics.horizontalAdvance(shown) + 1;
  return {std::max(minimumWidth, needed), lineEdit.height()};
}

QSize Recorder::minimumSizeHint() const { return {sizeHint().width(), QLineEdit::minimumSizeHint().height()}; }

void Recorder::refreshText() {
  auto shortcut = getShortcut(shortcutName_);
  setText(shortcut ? QString::fromStdString(description(*shortcut)) : QString());
  followShownText();
}

void Recorder::followShownText() {
  clearAction_->setVisible(!text().isEmpty());
  updateGeometry();
}

void Recorder::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  focusReason_ = event->reason();  // whether it records is decided once Qt tells where the focus came from
}

void Recorder::handleFocusChange(QWidget* old, QWidget* now) {
  if (now != this) return;
  const Qt::FocusReason reason = std::exchange(focusReason_, Qt::NoFocusReason);
  // Only a focus the user gives records: a click, Tab, a label's mnemonic. Qt moves the focus by itself, as if by
  // Tab, off a focused widget that is hidden or disabled (and so off the page a tab or stacked widget switches
  // away from), and gives it back with the window or after a popup.
  switch (reason) {
    case Qt::MouseFocusReason:
    case Qt::ShortcutFocusReason:
      startRecording();
      break;
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
      if (old == nullptr || (old->isVisibleTo(old->window()) && old->isEnabled())) startRecording();
      break;
    default:
      break;
  }
}

void Recorder::focusOutEvent(QFocusEvent* event) {
  endRecording();
  QLineEdit::focusOutEvent(event);
}

void Recorder::paintEvent(QPaintEvent* event) {
  QLineEdit::paintEvent(event);
  // A focused field with centred text hides its placeholder, which is all an empty recorder says ("Press
  // Shortcut" while it records): it is drawn here.
  if (!hasFocus() || !text().isEmpty() || placeholderText().isEmpty()) return;
  QStyleOptionFrame option;
  initStyleOption(&option);
  const QRect area = style()->subElementRect(QStyle::SE_LineEditContents, &option, this).marginsRemoved(textMargins());
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::PlaceholderText));
  painter.drawText(area, Qt::AlignCenter, fontMetrics().elidedText(placeholderText(), Qt::ElideRight, area.width()));
}

void Recorder::keyPressEvent(QKeyEvent* event) {
  // Reached only when not recording: nothing is typed here.
  event->ignore();
}

void Recorder::mousePressEvent(QMouseEvent* event) {
  QLineEdit::mousePressEvent(event);
  // A click also records when the field already had the focus from its window.
  if (hasFocus()) startRecording();
}

void Recorder::startRecording() {
  if (isRecording_) return;
  isRecording_ = true;
  setPlaceholderText(recordingPlaceholder);
  followShownText();
  setIsRecording(true);
  // Our own grabs would keep an already registered combination from ever reaching the field.
  platform::HotKeys::shared().suspendAll();
  using platform::eventMask;
  namespace Type = platform::EventType;
  eventMonitor_ = std::make_unique<LocalEventMonitor>(
      eventMask(Type::keyDown) | eventMask(Type::leftMouseUp) | eventMask(Type::rightMouseUp),
      [self = QPointer<Recorder>(this)](const Event& event) -> std::optional<Event> {
        if (self.isNull()) return std::nullopt;
        return self->handleRecorderEvent(event);
      });
  eventMonitor_->start();
}

void Recorder::endRecording() {
  if (!isRecording_) return;
  isRecording_ = false;
  eventMonitor_.reset();
  platform::HotKeys::shared().resumeAll();
  setPlaceholderText(idlePlaceholder);
  followShownText();
  setIsRecording(false);
}

void Recorder::blur() {
  endRecording();
  if (hasFocus()) clearFocus();
}

void Recorder::clearShortcut() {
  clear();
  setShortcut(std::nullopt, shortcutName_);
  if (onChange_) onChange_(std::nullopt);
  followShownText();
  setFocus(Qt::OtherFocusReason);
  startRecording();
}

std::optional<Event> Recorder::handleRecorderEvent(const Event& event) {
  namespace Type = platform::EventType;
  namespace Flag = platform::ModifierFlag;
  if (event.type == Type::leftMouseUp || event.type == Type::rightMouseUp) {
    const QPoint local = mapFromGlobal(QPointF(event.location.x, event.location.y).toPoint());
    if (!rect().adjusted(-clickSlop, -clickSlop, clickSlop, clickSlop).contains(local)) {
      blur();
      return event;
    }
    // A click inside only keeps recording; the clear button still takes its own.
    return childAt(local) != nullptr ? std::optional<Event>(event) : std::nullopt;
  }
  if (event.type != Type::keyDown && event.type != Type::keyUp) return std::nullopt;

  const ModifierFlags flags =
      event.modifierFlags & Flag::deviceIndependentMask & ~(Flag::capsLock | Flag::numericPad | Flag::function);
  if (flags.empty() && event.specialKey == Qt::Key_Tab) {
    endRecording();
    return event;  // the window moves the focus on
  }
  if (flags.empty() && event.keyCode == Key::escape.rawValue) {
    blur();
    return std::nullopt;
  }
  if (flags.empty() && (event.specialKey == Qt::Key_Backspace || event.specialKey == Qt::Key_Delete)) {
    // The clear button shows only while there is something to clear.
    if (clearAction_->isVisible()) clearAction_->trigger();
    return std::nullopt;
  }
  if ((flags.rawValue & ~Flag::shift) == 0 && functionKeys().count(event.specialKey) == 0) {
    QApplication::beep();
    return std::nullopt;
  }
  const auto shortcut = Shortcut::fromEvent(event);
  if (!shortcut) {
    QApplication::beep();
    return std::nullopt;
  }

  if (QMenu* menu = applicationMenu() ? applicationMenu()() : nullptr) {
    if (QAction* item = menuItemWithShortcut(*menu, *shortcut)) {
      blur();
      presentAlert("This keyboard shortcut cannot be used as it's already used by the \u201C" +
                       shownTitle(item->text()).toStdString() + "\u201D menu item.",
                   std::nullopt);
      return std::nullopt;
    }
  }
  const bool isPlainF12 = shortcut->carbonKeyCode == Key::f12.rawValue && shortcut->carbonModifiers == 0;
  if (!isPlainF12 &&
      platform::HotKeys::shared().isTakenBySomeoneElse(shortcut->carbonKeyCode, shortcut->carbonModifiers)) {
    blur();
    presentAlert("This keyboard shortcut cannot be used as it's already a system-wide keyboard shortcut.",
                 "Most system-wide keyboard shortcuts can be changed in your desktop's keyboard settings.");
    return std::nullopt;
  }

  setText(QString::fromStdString(description(*shortcut)));
  followShownText();
  saveShortcut(*shortcut, shortcutName_);
  if (onChange_) onChange_(*shortcut);
  blur();
  return std::nullopt;
}

void Recorder::presentAlert(const std::string& message, const std::optional<std::string>& informative) {
  QPointer<Recorder> self(this);
  alertPresenter().runModal(makeAlert(message, informative));
  if (self.isNull()) return;
  // Recording resumes.
  setFocus(Qt::OtherFocusReason);
  startRecording();
}

}  // namespace kit::GlobalShortcuts
