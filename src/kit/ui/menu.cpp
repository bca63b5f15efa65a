#include "kit/ui/menu.h"

#include <QCoreApplication>
#include <QKeyEvent>

#include "kit/foundation/app_termination.h"
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
  const Qt::KeyboardModifiers held = key.modifiers() & shortcutModifiers;
  // A character other than a letter may need Shift to be typed ("?"): it is the same key equivalent without it.
  const auto character = static_cast<char32_t>(key.key());
  const bool shiftTypes =
      key.key() == wanted.key() && key.key() < Qt::Key_Escape && QChar::toLower(character) == character;
  if (wanted.keyboardModifiers() == (held & ~Qt::ShiftModifier) && shiftTypes) return true;
  if (wanted.keyboardModifiers() != held) return false;
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

namespace {

// The Qt key of a key equivalent's character: special keys come as control characters or, for the arrows, function
// keys and the keys around them, as characters from U+F700; any other character is the key that types it.
int qtKeyForKeyEquivalent(char32_t character) {
  switch (character) {
    case 0x03:
      return Qt::Key_Enter;
    case '\r':
    case '\n':
      return Qt::Key_Return;
    case '\t':
      return Qt::Key_Tab;
    case 0x19:
      return Qt::Key_Backtab;
    case 0x08:
    case 0x7F:
      return Qt::Key_Backspace;  // 0x7F is the key that deletes backward
    case 0x1B:
      return Qt::Key_Escape;
    case 0xF700:
      return Qt::Key_Up;
    case 0xF701:
      return Qt::Key_Down;
    case 0xF702:
      return Qt::Key_Left;
    case 0xF703:
      return Qt::Key_Right;
    case 0xF727:
      return Qt::Key_Insert;
    case 0xF728:
      return Qt::Key_Delete;
    case 0xF729:
      return Qt::Key_Home;
    case 0xF72B:
      return Qt::Key_End;
    case 0xF72C:
      return Qt::Key_PageUp;
    case 0xF72D:
      return Qt::Key_PageDown;
    case 0xF72E:
      return Qt::Key_Print;
    case 0xF72F:
      return Qt::Key_ScrollLock;
    case 0xF730:
      return Qt::Key_Pause;
    case 0xF731:
      return Qt::Key_SysReq;
    case 0xF734:
      return Qt::Key_Stop;
    case 0xF735:
      return Qt::Key_Menu;
    case 0xF739:
      return Qt::Key_Clear;
    case 0xF741:
      return Qt::Key_Select;
    case 0xF742:
      return Qt::Key_Execute;
    case 0xF743:
      return Qt::Key_Undo;
    case 0xF744:
      return Qt::Key_Redo;
    case 0xF745:
      return Qt::Key_Find;
    case 0xF746:
      return Qt::Key_Help;
    case 0xF747:
      return Qt::Key_Mode_switch;
    default:
      break;
  }
  if (character >= 0xF704 && character <= 0xF726) return Qt::Key_F1 + static_cast<int>(character - 0xF704);
  if (character < 0x20 || (character >= 0xF700 && character <= 0xF8FF)) return 0;  // no key types it
  return static_cast<int>(QChar::toUpper(character));
}

}  // namespace

QKeySequence keySequenceForKeyEquivalent(const std::string& key, uint64_t modifierFlags) {
  const QList<uint> characters = QString::fromStdString(key).toUcs4();
  if (characters.size() != 1) return {};
  const int qtKey = qtKeyForKeyEquivalent(characters[0]);
  if (qtKey == 0) return {};
  Qt::KeyboardModifiers modifiers;
  if ((modifierFlags & platform::ModifierFlag::command) != 0) modifiers |= Qt::ControlModifier;
  if ((modifierFlags & platform::ModifierFlag::option) != 0) modifiers |= Qt::AltModifier;
  if ((modifierFlags & platform::ModifierFlag::shift) != 0) modifiers |= Qt::ShiftModifier;
  if ((modifierFlags & platform::ModifierFlag::control) != 0) modifiers |= Qt::MetaModifier;
  // An upper-case letter is typed with Shift.
  if (QChar::isUpper(characters[0]) && QChar::toLower(characters[0]) != characters[0]) modifiers |= Qt::ShiftModifier;
  return QKeySequence(QKeyCombination(modifiers, static_cast<Qt::Key>(qtKey)));
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
    : QAction(verbatimTitle(title), parent), callback_(std::make_shared<std::function<void()>>(std::move(callback))) {
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
  // The call holds the callback: it may remove the item (rebuild its menu) and still return safely.
  const std::shared_ptr<const std::function<void()>> running = callback_;
  if (*running) (*running)();
}

bool CallbackMenuItem::validateMenuItem(CallbackMenuItem& menuItem) const {
  return validateCallback ? validateCallback(menuItem) : true;
}

CallbackMenuItem* addQuitItem(QMenu& menu) {
  auto* item =
      new CallbackMenuItem("Quit " + ZvApp::name(), "q", std::nullopt, true, false, false, terminateApp, &menu);
  menu.addAction(item);
  return item;
}

}  // namespace kit
