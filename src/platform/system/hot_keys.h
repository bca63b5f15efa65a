#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "platform/core/executor.h"
#include "platform/system/keyboard_layout.h"

class QKeyEvent;

namespace platform {

struct HotKeyEvent {
  uint32_t id;
  bool pressed;  // false: released
};

// System-wide hot keys: passive key grabs on the root window of our own X connection, one per Caps Lock /
// Num Lock combination, so that the lock keys never stop a shortcut. Keys are given in their stored form
// (virtual key code and carbon modifier bits). Presses and releases arrive on the main thread, each once per
// physical press: auto-repeat is reported as held keys, never as new presses. Main thread only.
class HotKeys {
 public:
  static HotKeys& shared();

  HotKeys(const HotKeys&) = delete;
  HotKeys& operator=(const HotKeys&) = delete;

  // False without an X11 session: every registration is then refused.
  bool isAvailable() const;

  // Grabs the combination under the caller's id. False when it cannot be grabbed: taken by another
  // application, no X counterpart of the key, or no X session. A refused registration keeps no record.
  bool registerHotKey(uint32_t id, int64_t carbonKeyCode, int64_t carbonModifiers);
  void unregister(uint32_t id);
  // Releases one grab, keeping its record; `resume` grabs it again (false and the record dropped when that
  // fails).
  void suspend(uint32_t id);
  bool resume(uint32_t id);
  // Releases every grab until the matching resumeAll (the calls nest). Records suspended one by one stay so.
  void suspendAll();
  void resumeAll();

  // Whether another application holds a grab of the combination. Our own combinations are answered from
  // the records, never by a trial grab (which would drop our own).
  bool isTakenBySomeoneElse(int64_t carbonKeyCode, int64_t carbonModifiers);

  // While one of our menus is open it holds the keyboard, so the root grabs do not fire: key events that
  // reach the application are matched against the records instead, and consumed when they match. Repeats of a
  // held key are left to the menu. A key pressed in the menu and let go after it closed is released all the same.
  void setMenuOpen(bool open);
  bool isMenuOpen() const { return menuOpen_; }
  // What the open menu answers itself: a key it claims (the key equivalent it shows on one of its items)
  // reaches the menu instead of being matched, so that the item runs as the menu shows it, and the menu closes.
  // Set by the menu while it is open; none clears it.
  void setMenuKeyClaim(std::function<bool(const QKeyEvent&)> claims);

  // The one receiver of presses and releases.
  void setEventHandler(std::function<void(const HotKeyEvent&)> handler);

  // The server time of the last press or release we received (for requests that must follow it).
  uint32_t lastEventTime() const { return lastEventTime_; }

 private:
  struct Record {
    int64_t carbonKeyCode;
    int64_t carbonModifiers;
    uint8_t keycode;
    uint16_t modifiers;  // X state bits
    bool suspended = false;
    bool grabbed = false;
    bool down = false;
    // Pressed while a menu held the keyboard: once the menu is closed, the release goes to whatever has the focus.
    bool pressedInMenu = false;
  };
  class MenuKeyFilter;

  HotKeys();
  ~HotKeys();

  bool grab(uint8_t keycode, uint16_t modifiers);
  void ungrab(uint8_t keycode, uint16_t modifiers);
  // Ungrabs the record's combination unless another grabbed record shares it.
  void release(Record& record);
  bool acquire(Record& record);
  bool isGrabbedByAnother(const Record& record) const;
  void regrabAfterMappingChange(const XModifierMasks& before);
  void handleXEvent(uint8_t type, uint8_t keycode, uint16_t state, uint32_t time);
  bool handleKey(uint8_t keycode, uint16_t state, bool pressed, bool fromMenu);
  // Asks the keyboard until the keys pressed in a closed menu are up, and releases them then.
  void watchReleasesAfterMenu();
  void releaseKeysUpAfterMenu();
  void emit(const HotKeyEvent& event);

  std::map<uint32_t, Record> records_;
  std::function<void(const HotKeyEvent&)> handler_;
  int suspendDepth_ = 0;
  bool menuOpen_ = false;
  uint32_t lastEventTime_ = 0;
  bool available_ = false;  // there is an X server with a keyboard
  rx::AnyCancellable keyEvents_;
  rx::AnyCancellable keymapChanges_;
  std::unique_ptr<MenuKeyFilter> menuFilter_;
  std::function<bool(const QKeyEvent&)> menuKeyClaim_;
  Cancel releaseWatch_;
  bool watchingReleases_ = false;
};

}  // namespace platform
