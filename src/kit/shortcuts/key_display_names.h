#pragma once

#include <QKeyCombination>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "kit/shortcuts/shortcut.h"

namespace kit {

// The texts of the keys that produce no character of their own (Return "↩", F12 "F12", keypad keycaps ...).
const std::map<int64_t, std::string>& specialKeyDisplayNames();

// The text of a key: its entry in the special-key table, else the character the current keyboard layout puts
// on the key without modifiers; none without a layout that has an answer.
std::optional<std::string> keyToCharacter(int64_t keyCode);

}  // namespace kit

namespace kit::GlobalShortcuts {

// The modifiers followed by the capitalised key text, or "�" when the key has no text: "Ctrl+Shift+V".
std::string description(const Shortcut& shortcut);

// The key and modifiers a Qt menu action needs to show (and match) the shortcut; none when the key has no
// counterpart.
std::optional<QKeyCombination> keyCombination(const Shortcut& shortcut);

}  // namespace kit::GlobalShortcuts
