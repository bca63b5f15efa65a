#pragma once

#include <QAction>
#include <QMenu>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/core/rx.h"

namespace kit {

// A menu that reports its own opening, closing and update requests through closures and publishers. Items
// are never enabled automatically: each item's own enabled flag decides. Its title, which the item that holds it in
// another menu shows, is shown as written. Main thread only.
class ZvMenu : public QMenu {
  Q_OBJECT

 public:
  explicit ZvMenu(const QString& title = {}, QWidget* parent = nullptr);
  ~ZvMenu() override;

  // Called on each update request (each time before the menu opens); onUpdate first.
  std::function<void()> onUpdate;
  std::function<void(ZvMenu&)> onUpdateLegacy;
  // Called with true when the menu opens, false when it closes.
  std::function<void(bool)> onOpenClose;

  bool isOpen() const { return isOpen_; }
  // The open state; a new subscriber gets the current state at once.
  platform::rx::Publisher<bool> isOpenPublisher() const { return isOpenSubject_.publisher(); }
  // One value per update request, not replayed.
  platform::rx::Publisher<platform::rx::Unit> needsUpdatePublisher() const { return needsUpdateSubject_.publisher(); }

  // The three steps the menu runs itself; public so that owners showing the menu another way can drive them.
  void menuNeedsUpdate();
  void menuWillOpen();
  void menuDidClose();

  // The enabled item of this menu or its submenus whose key equivalent the key press is, matched by the key's
  // position as well as by its character, so that it works in every keyboard layout.
  QAction* itemForKeyEquivalent(const QKeyEvent& key) const;

 protected:
  // A key equivalent works while the menu is open: the menu closes and the item runs.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // While open, the key equivalents it shows reach it even where they are also global shortcuts.
  void claimKeyEquivalents(bool claim);

  bool isOpen_ = false;
  bool claimsKeyEquivalents_ = false;
  platform::rx::CurrentValueSubject<bool> isOpenSubject_{false};
  platform::rx::PassthroughSubject<platform::rx::Unit> needsUpdateSubject_;
};

// A menu item that runs a closure when chosen. `key` is the key equivalent ("q", ",", "Q" for Shift+Q, "\r"), empty
// for none (see keySequenceForKeyEquivalent); without `keyModifiers` a key equivalent takes Command (Ctrl).
class CallbackMenuItem : public QAction {
  Q_OBJECT

 public:
  CallbackMenuItem(const std::string& title, const std::string& key, std::optional<uint64_t> keyModifiers,
                   bool isEnabled, bool isChecked, bool isHidden, std::function<void()> callback,
                   QObject* parent = nullptr);

  // Runs the callback (what choosing the item does).
  void action();

  // Whether the item may be chosen: the hook's answer when it is set, otherwise true. Each time a menu that enables
  // its items itself (any menu but a ZvMenu, whose items keep their own state) is about to show, every item of this
  // class in it is enabled exactly when this answers true.
  bool validateMenuItem(CallbackMenuItem& menuItem) const;

  // The class-wide validation hook; unset at start.
  static std::function<bool(CallbackMenuItem&)> validateCallback;

 private:
  std::shared_ptr<const std::function<void()>> callback_;
};

// The key sequence of a key equivalent (one character) with modifier flags (Command = Ctrl, Control = Super, Option =
// Alt). An upper-case letter adds Shift; special keys are given by their characters: "\r" Return, "\x1b" Escape,
// "\x7f" Backspace, U+F700 to U+F703 the arrows, U+F704 on F1 to F35, U+F728 Delete and so on.
QKeySequence keySequenceForKeyEquivalent(const std::string& key, uint64_t modifierFlags);

// Appends "Quit <name>" (Ctrl+Q), which quits the application after its action has returned.
CallbackMenuItem* addQuitItem(QMenu& menu);

}  // namespace kit
