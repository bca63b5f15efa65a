#include "kit/shortcuts/recorder.h"

#include <QAction>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

#include "kit/foundation/alert.h"
#include "kit/shortcuts/handlers.h"
#include "kit/shortcuts/key_display_names.h"
#include "kit/shortcuts/menu_item_shortcut.h"
#include "kit/shortcuts/storage.h"
#include "platform/system/hot_keys.h"
#include "platform/system/keyboard_layout.h"
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

bool isModifierKey(int key) {
  switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
      return true;
    default:
      return false;
  }
}

bool isFunctionKey(int key) { return key >= Qt::Key_F1 && key <= Qt::Key_F35; }

// The shortcut modifiers of a key event, as event flags: Ctrl is command, Alt option, Super (Meta) control.
uint64_t modifierFlags(const QKeyEvent& key) {
  const Qt::KeyboardModifiers modifiers = key.modifiers();
  uint64_t flags = 0;
  if (modifiers & Qt::ControlModifier) flags |= platform::ModifierFlag::command;
  if (modifiers & Qt::AltModifier) flags |= platform::ModifierFlag::option;
  if (modifiers & Qt::ShiftModifier) flags |= platform::ModifierFlag::shift;
  if (modifiers & Qt::MetaModifier) flags |= platform::ModifierFlag::control;
  return flags;
}

// The stored key code: by the key's position when the event carries the X keycode, else by the Qt key.
std::optional<int64_t> keyCode(const QKeyEvent& key) {
  const quint32 native = key.nativeScanCode();
  if (native > 0 && native < 256) {
    if (auto code = platform::virtualKeyForXKeycode(static_cast<uint8_t>(native))) return *code;
    return std::nullopt;
  }
  return keyCodeForQtKey(key.key(), key.modifiers().testFlag(Qt::KeypadModifier));
}

}  // namespace

// Sees the application's events while the field records: key presses (and the shortcut checks before them)
// and mouse releases.
class Recorder::EventMonitor : public QObject {
 public:
  explicit EventMonitor(Recorder& recorder) : recorder_(&recorder) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    const QEvent::Type type = event->type();
    if (type == QEvent::ShortcutOverride) {
      // Keep the application's own shortcuts from acting on the keys being recorded.
      event->accept();
      return true;
    }
    if (type != QEvent::KeyPress && type != QEvent::MouseButtonRelease) return false;
    if (recorder_.isNull()) return true;
    return recorder_->handleRecorderEvent(watched, event) == Verdict::swallow;
  }

 private:
  QPointer<Recorder> recorder_;
};

Recorder::Recorder(Name name, OnChange onChange, QWidget* parent)
    : QLineEdit(parent), shortcutName_(std::move(name)), onChange_(std::move(onChange)) {
  setPlaceholderText(idlePlaceholder);
  setAlignment(Qt::AlignCenter);
  setReadOnly(true);  // keys are taken as a whole, never typed; no caret
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  clearAction_ = addAction(style()->standardIcon(QStyle::SP_LineEditClearButton), QLineEdit::TrailingPosition);
  clearAction_->setToolTip("Clear");
  connect(clearAction_, &QAction::triggered, this, [this] { clearShortcut(); });
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

Recorder::~Recorder() { endRecording(); }

void Recorder::setShortcutName(Name name) {
  const bool changed = name.rawValue != shortcutName_.rawValue;
  shortcutName_ = std::move(name);
  if (changed) refreshText();
}

void Recorder::setApplicationMenu(std::function<QMenu*()> menu) { applicationMenu() = std::move(menu); }

QSize Recorder::sizeHint() const { return {minimumWidth, QLineEdit::sizeHint().height()}; }

QSize Recorder::minimumSizeHint() const { return {minimumWidth, QLineEdit::minimumSizeHint().height()}; }

void Recorder::refreshText() {
  auto shortcut = getShortcut(shortcutName_);
  setText(shortcut ? QString::fromStdString(description(*shortcut)) : QString());
  updateClearButton();
}

void Recorder::updateClearButton() { clearAction_->setVisible(!text().isEmpty()); }

void Recorder::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  // The focus coming back with the window is not the user asking to record.
  if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason) return;
  startRecording();
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
  updateClearButton();
  setIsRecording(true);
  // Our own grabs would keep an already registered combination from ever reaching the field.
  platform::HotKeys::shared().suspendAll();
  auto* monitor = new EventMonitor(*this);
  qApp->installEventFilter(monitor);
  eventMonitor_ = monitor;
}

void Recorder::endRecording() {
  if (!isRecording_) return;
  isRecording_ = false;
  if (!eventMonitor_.isNull()) {
    qApp->removeEventFilter(eventMonitor_);
    eventMonitor_->deleteLater();  // we may be inside its filter right now
  }
  platform::HotKeys::shared().resumeAll();
  setPlaceholderText(idlePlaceholder);
  updateClearButton();
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
  updateClearButton();
  setFocus(Qt::OtherFocusReason);
  startRecording();
}

Recorder::Verdict Recorder::handleRecorderEvent(QObject* target, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton && mouse->button() != Qt::RightButton) return Verdict::pass;
    const QPoint local = mapFromGlobal(mouse->globalPosition().toPoint());
    if (!rect().adjusted(-clickSlop, -clickSlop, clickSlop, clickSlop).contains(local)) {
      blur();
      return Verdict::pass;
    }
    // A click inside only keeps recording; the clear button still works.
    return target == this ? Verdict::swallow : Verdict::pass;
  }
  return handleKey(*static_cast<QKeyEvent*>(event));
}

Recorder::Verdict Recorder::handleKey(QKeyEvent& key) {
  if (isModifierKey(key.key())) return Verdict::swallow;  // a modifier on its own is no shortcut yet
  const uint64_t flags = modifierFlags(key);
  if (flags == 0 && key.key() == Qt::Key_Tab) {
    endRecording();
    return Verdict::pass;  // the window moves the focus on
  }
  if (flags == 0 && key.key() == Qt::Key_Escape) {
    blur();
    return Verdict::swallow;
  }
  if (flags == 0 && (key.key() == Qt::Key_Backspace || key.key() == Qt::Key_Delete)) {
    clearAction_->trigger();
    return Verdict::swallow;
  }
  if ((flags & ~platform::ModifierFlag::shift) == 0 && !isFunctionKey(key.key())) {
    QApplication::beep();
    return Verdict::swallow;
  }
  const auto code = keyCode(key);
  if (!code) {
    QApplication::beep();
    return Verdict::swallow;
  }
  const Shortcut shortcut = Shortcut::make(*code, carbonModifiers(flags));

  if (QMenu* menu = applicationMenu() ? applicationMenu()() : nullptr) {
    if (QAction* item = menuItemWithShortcut(*menu, shortcut)) {
      blur();
      presentAlert("This keyboard shortcut cannot be used as it's already used by the \u201C" +
                       QString(item->text()).remove('&').toStdString() + "\u201D menu item.",
                   std::nullopt);
      return Verdict::swallow;
    }
  }
  const bool isPlainF12 = shortcut.carbonKeyCode == Key::f12.rawValue && shortcut.carbonModifiers == 0;
  if (!isPlainF12 &&
      platform::HotKeys::shared().isTakenBySomeoneElse(shortcut.carbonKeyCode, shortcut.carbonModifiers)) {
    blur();
    presentAlert("This keyboard shortcut cannot be used as it's already a system-wide keyboard shortcut.",
                 "Most system-wide keyboard shortcuts can be changed in your desktop's keyboard settings.");
    return Verdict::swallow;
  }

  setText(QString::fromStdString(description(shortcut)));
  updateClearButton();
  saveShortcut(shortcut, shortcutName_);
  if (onChange_) onChange_(shortcut);
  blur();
  return Verdict::swallow;
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
