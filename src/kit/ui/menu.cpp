#include "kit/ui/menu.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMetaObject>

#include "kit/foundation/verbatim_title.h"
#include "kit/foundation/zv_app.h"
#include "platform/system/hot_keys.h"
#include "platform/system/keyboard_layout.h"
#include "platform/system/modifier_flags.h"
#include "platform/system/qt_input_events.h"

namespace kit {

ZvMenu::ZvMenu(const QString& title, QWidget* parent) : QMenu(verbatimTitle(title), parent) {
  // Every separator added is drawn, also at the top and two in a row. Qt lays the first item against the top edge,
  // where the frame covers a separator's line: the items start a little below it.
  setSeparatorsCollapsible(false);
  setContentsMargins(0, 3, 0, 0);
  // Qt asks for no update before showing, so the update request and the opening share aboutToShow.
  connect(this, &QMenu::aboutToShow, this, [this] {
    menuNeedsUpdate();
    menuWillOpen();
    claimKeyEquivalents(true);
  });
  connect(this, &QMenu::aboutToHide, this, [this] {
    claimKeyEquivalents(false);
    menuDidClose();
  });
}

ZvMenu::~ZvMenu() { claimKeyEquivalents(false); }

void ZvMenu::claimKeyEquivalents(bool claim) {
  // A submenu's items are found through the menu it belongs to.
  if (qobject_cast<QMenu*>(parentWidget()) || claim == claimsKeyEquivalents_) return;
  claimsKeyEquivalents_ = claim;
  if (claim) {
    platform::HotKeys::shared().setMenuKeyClaim(
        [this](const QKeyEvent& key) { return itemForKeyEquivalent(key) != nullptr; });
  } else {
    platform::HotKeys::shared().setMenuKeyClaim({});
  }
}

void ZvMenu::menuNeedsUpdate() {
  needsUpdateSubject_.send(platform::rx::Unit{});
  if (onUpdate) onUpdate();
  if (onUpdateLegacy) onUpdateLegacy(*this);
}

void ZvMenu::menuWillOpen() {
  isOpen_ = true;
  isOpenSubject_.send(true);
  if (onOpenClose) onOpenClose(true);
}

void ZvMenu::menuDidClose() {
  isOpen_ = false;
  isOpenSubject_.send(false);
  if (onOpenClose) onOpenClose(false);
}

namespace {

constexpr Qt::KeyboardModifiers shortcutModifiers =
    Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier | Qt::MetaModifier;

bool isKeyEquivalent(const QKeySequence& sequence, const QKeyEvent& key) {
  if (sequence.count() != 1) return false;
  const QKeyCombination wanted = sequence[0];
  if (wanted.keyboardModifiers() != (key.modifiers() & shortcutModifiers)) return false;
  if (wanted.key() == key.key()) return true;
  // The same key in another layout, where it types another character.
  const quint32 native = key.nativeScanCode();
  if (native == 0 || native > 255) return false;
  const auto pressed = platform::virtualKeyForXKeycode(static_cast<uint8_t>(native));
  const auto expected = platform::virtualKeyForQtKey(wanted.key(), false);
  return pressed && expected && *pressed == *expected;
}

}  // namespace

QAction* ZvMenu::itemForKeyEquivalent(const QKeyEvent& key) const {
  // Keys without a modifier other than Shift choose items by their titles instead.
  if ((key.modifiers() & (shortcutModifiers & ~Qt::ShiftModifier)) == 0) return nullptr;
  for (QAction* action : actions()) {
    if (!action->isVisible() || !action->isEnabled()) continue;
    if (QMenu* submenu = action->menu()) {
      if (auto* zvSubmenu = qobject_cast<ZvMenu*>(submenu))
        if (QAction* found = zvSubmenu->itemForKeyEquivalent(key)) return found;
      continue;
    }
    if (isKeyEquivalent(action->shortcut(), key)) return action;
  }
  return nullptr;
}

void ZvMenu::keyPressEvent(QKeyEvent* event) {
  QAction* item = itemForKeyEquivalent(*event);
  if (!item) {
    QMenu::keyPressEvent(event);
    return;
  }
  event->accept();
  for (QWidget* menu = this; qobject_cast<QMenu*>(menu); menu = menu->parentWidget()) menu->hide();
  item->trigger();
}

QKeySequence keySequenceForKeyEquivalent(const std::string& key, uint64_t modifierFlags) {
  if (key.empty()) return {};
  Qt::KeyboardModifiers modifiers;
  if ((modifierFlags & platform::ModifierFlag::command) != 0) modifiers |= Qt::ControlModifier;
  if ((modifierFlags & platform::ModifierFlag::option) != 0) modifiers |= Qt::AltModifier;
  if ((modifierFlags & platform::ModifierFlag::shift) != 0) modifiers |= Qt::ShiftModifier;
  if ((modifierFlags & platform::ModifierFlag::control) != 0) modifiers |= Qt::MetaModifier;
  const QKeySequence keyOnly(QString::fromStdString(key).toUpper());
  if (keyOnly.isEmpty()) return {};
  return QKeySequence(QKeyCombination(modifiers, keyOnly[0].key()));
}

namespace {

// Qt asks no item whether it may be chosen; every menu's showing is watched instead, once for the application.
class MenuItemValidation final : public QObject {
 public:
  static void install() {
    static MenuItemValidation* validation = nullptr;
    if (validation || !QCoreApplication::instance()) return;
    validation = new MenuItemValidation(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(validation);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Show) return false;
    auto* menu = qobject_cast<QMenu*>(watched);
    // A ZvMenu enables nothing by itself: its items keep the state they were given.
    if (menu && !qobject_cast<ZvMenu*>(menu)) {
      for (QAction* action : menu->actions())
        if (auto* item = qobject_cast<CallbackMenuItem*>(action)) item->setEnabled(item->validateMenuItem(*item));
    }
    return false;
  }

 private:
  using QObject::QObject;
};

}  // namespace

std::function<bool(CallbackMenuItem&)> CallbackMenuItem::validateCallback;

CallbackMenuItem::CallbackMenuItem(const std::string& title, const std::string& key,
                                   std::optional<uint64_t> keyModifiers, bool isEnabled, bool isChecked, bool isHidden,
                                   std::function<void()> callback, QObject* parent)
    : QAction(verbatimTitle(title), parent), callback_(std::move(callback)) {
  connect(this, &QAction::triggered, this, [this] { action(); });
  setEnabled(isEnabled);
  setCheckable(isChecked);
  setChecked(isChecked);
  setVisible(!isHidden);
  setShortcut(keySequenceForKeyEquivalent(key, keyModifiers.value_or(platform::ModifierFlag::command)));
  // The menu is shown by a tray icon, not a window: the key equivalent works while the menu is open.
  setShortcutContext(Qt::WidgetShortcut);
  MenuItemValidation::install();
}

void CallbackMenuItem::action() {
  if (callback_) callback_();
}

bool CallbackMenuItem::validateMenuItem(CallbackMenuItem& menuItem) const {
  return validateCallback ? validateCallback(menuItem) : true;
}

CallbackMenuItem* addQuitItem(QMenu& menu) {
  auto* item = new CallbackMenuItem(
      "Quit " + ZvApp::name(), "q", std::nullopt, true, false, false,
      [] { QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection); },
      &menu);
  menu.addAction(item);
  return item;
}

}  // namespace kit
