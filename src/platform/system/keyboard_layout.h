#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/rx_subjects.h"

struct xkb_context;
struct xkb_keymap;

namespace platform {

// Stored shortcuts keep virtual key codes, which name a key by its position on the keyboard. They translate to
// X keycodes through the kernel's (evdev) codes: X keycode = evdev + 8.
std::optional<uint8_t> xKeycodeForVirtualKey(int64_t virtualKeyCode);
std::optional<uint16_t> virtualKeyForXKeycode(uint8_t xKeycode);

// X modifier state bits of the four shortcut modifiers (Ctrl, Shift, Alt, Super) and of the lock keys.
struct XModifierMasks {
  uint16_t shift = 0x01;
  uint16_t capsLock = 0x02;
  uint16_t control = 0x04;
  uint16_t alt = 0x08;      // Mod1
  uint16_t numLock = 0x10;  // usually Mod2
  uint16_t super = 0x40;    // usually Mod4

  uint16_t shortcutModifiers() const { return shift | control | alt | super; }
};

// Carbon modifier bits of stored shortcuts.
namespace carbon {
inline constexpr uint32_t command = 256;  // Ctrl on Linux
inline constexpr uint32_t shift = 512;
inline constexpr uint32_t option = 2048;   // Alt
inline constexpr uint32_t control = 4096;  // Super
}  // namespace carbon

uint16_t xModifiersForCarbon(uint32_t carbonModifiers, const XModifierMasks& masks);
uint32_t carbonForXModifiers(uint16_t xState, const XModifierMasks& masks);

// A keyboard layout as an input source the user picks: its identifier is its entry of the server's layout list, in
// the keymap's own notation ("us", "de(nodeadkeys)"), its name the one the keymap gives it ("English (US)"). Each is
// none when the server does not give it.
struct InputSource {
  std::optional<std::string> id;
  std::optional<std::string> localizedName;
};

// The keyboard layout of the X server, read through xkbcommon on our own X connection. Main thread only.
class KeyboardLayout {
 public:
  // The layout of the X server; none without one.
  static KeyboardLayout* shared();
  // The modifier masks of the shared layout, or the usual ones without a layout.
  static XModifierMasks currentModifierMasks();

  KeyboardLayout(const KeyboardLayout&) = delete;
  KeyboardLayout& operator=(const KeyboardLayout&) = delete;

  // Reads the keymap again. Runs by itself when the server reports a new keyboard or keymap.
  void reload();
  // After each reload: the modifier masks as they were before it.
  rx::Publisher<XModifierMasks> changes() const { return changed_.publisher(); }

  // The character the key produces without modifiers in the current layout when it is ASCII-capable,
  // else in the first such group; none when no group gives one.
  std::optional<std::string> characterForVirtualKey(int64_t virtualKeyCode);
  // The keycode that produces `keysym` at the base level in the first ASCII-capable group.
  std::optional<uint8_t> keycodeForKeysym(uint32_t keysym);
  // The layout in use.
  InputSource currentInputSource();

  const XModifierMasks& modifierMasks() const { return masks_; }
  // Every keycode that is bound to a modifier, with the modifier bit it sets.
  const std::map<uint8_t, uint16_t>& modifierKeys() const { return modifierKeys_; }

 private:
  KeyboardLayout() = default;
  bool load();
  uint32_t activeGroup();
  std::optional<uint32_t> asciiCapableGroup();
  uint32_t baseKeysym(uint8_t keycode, uint32_t group);
  void readModifierMapping();
  void watchKeymapChanges();

  xkb_context* context_ = nullptr;
  xkb_keymap* keymap_ = nullptr;
  int32_t deviceId_ = -1;
  XModifierMasks masks_;
  std::map<uint8_t, uint16_t> modifierKeys_;
  rx::PassthroughSubject<XModifierMasks> changed_;
  rx::AnyCancellable keymapEvents_;
};

}  // namespace platform
