#include "kit/shortcuts/key_display_names.h"

#include <QString>
#include <utility>

#include "platform/system/keyboard_layout.h"
#include "platform/system/modifier_flags.h"

namespace kit {

namespace {

constexpr int64_t functionKeyCodes[] = {122, 120, 99,  118, 96,  97,  98, 100, 101, 109,
                                        103, 111, 105, 107, 113, 106, 64, 79,  80,  90};
constexpr int64_t keypadDigitCodes[] = {82, 83, 84, 85, 86, 87, 88, 89, 91, 92};
const char* const keycap = "\u20E3";

std::map<int64_t, std::string> makeDisplayNames() {
  std::map<int64_t, std::string> names{
      {36, "\u21A9"},
      {51, "\u232B"},
      {117, "\u2326"},
      {119, "\u2198"},
      {53, "\u238B"},
      {114, "?\u20DD"},
      {115, "\u2196"},
      {49, "Space"},
      {48, "\u21E5"},
      {116, "\u21DE"},
      {121, "\u21DF"},
      {126, "\u2191"},
      {124, "\u2192"},
      {125, "\u2193"},
      {123, "\u2190"},
      {71, std::string("\u2612") + keycap},
      {65, std::string(".") + keycap},
      {75, std::string("/") + keycap},
      {76, std::string("\u21A9") + keycap},
      {81, std::string("=") + keycap},
      {78, std::string("-") + keycap},
      {67, std::string("*") + keycap},
      {69, std::string("+") + keycap},
  };
  for (int i = 0; i < 20; ++i) names[functionKeyCodes[i]] = "F" + std::to_string(i + 1);
  for (int i = 0; i < 10; ++i) names[keypadDigitCodes[i]] = std::to_string(i) + keycap;
  return names;
}

// Keys whose Qt key is not the character they produce.
const std::map<int64_t, Qt::Key>& specialQtKeys() {
  static const auto* keys = [] {
    auto* map = new std::map<int64_t, Qt::Key>{
        {36, Qt::Key_Return}, {51, Qt::Key_Backspace}, {117, Qt::Key_Delete},   {119, Qt::Key_End},
        {53, Qt::Key_Escape}, {114, Qt::Key_Insert},   {115, Qt::Key_Home},     {49, Qt::Key_Space},
        {48, Qt::Key_Tab},    {116, Qt::Key_PageUp},   {121, Qt::Key_PageDown}, {126, Qt::Key_Up},
        {124, Qt::Key_Right}, {125, Qt::Key_Down},     {123, Qt::Key_Left},     {76, Qt::Key_Enter},
        {71, Qt::Key_Clear},
    };
    for (int i = 0; i < 20; ++i) (*map)[functionKeyCodes[i]] = static_cast<Qt::Key>(Qt::Key_F1 + i);
    return map;
  }();
  return *keys;
}

bool isKeypadKey(int64_t keyCode) {
  for (int64_t code : keypadDigitCodes) {
    if (code == keyCode) return true;
  }
  return keyCode == 65 || keyCode == 67 || keyCode == 69 || keyCode == 71 || keyCode == 75 || keyCode == 76 ||
         keyCode == 78 || keyCode == 81;
}

}  // namespace

const std::map<int64_t, std::string>& specialKeyDisplayNames() {
  static const auto* names = new std::map<int64_t, std::string>(makeDisplayNames());
  return *names;
}

std::optional<std::string> keyToCharacter(int64_t keyCode) {
  const auto& names = specialKeyDisplayNames();
  if (auto it = names.find(keyCode); it != names.end()) return it->second;
  platform::KeyboardLayout* layout = platform::KeyboardLayout::shared();
  if (layout == nullptr) return std::nullopt;
  return layout->characterForVirtualKey(keyCode);
}

}  // namespace kit

namespace kit::GlobalShortcuts {

std::string description(const Shortcut& shortcut) {
  auto key = keyToCharacter(shortcut.carbonKeyCode);
  std::string keyText = "\uFFFD";
  if (key) {
    // Every word capitalised: a letter becomes upper case, "Space" and "F5" stay.
    QString text = QString::fromStdString(*key);
    bool wordStart = true;
    for (auto& ch : text) {
      if (ch.isSpace()) {
        wordStart = true;
      } else if (wordStart) {
        ch = ch.toUpper();
        wordStart = false;
      }
    }
    keyText = text.toStdString();
  }
  return symbolicDescription(shortcut.modifiers()) + keyText;
}

std::optional<QKeyCombination> keyCombination(const Shortcut& shortcut) {
  const uint64_t flags = shortcut.modifiers().rawValue;
  Qt::KeyboardModifiers modifiers;
  if ((flags & platform::ModifierFlag::command) != 0) modifiers |= Qt::ControlModifier;
  if ((flags & platform::ModifierFlag::option) != 0) modifiers |= Qt::AltModifier;
  if ((flags & platform::ModifierFlag::shift) != 0) modifiers |= Qt::ShiftModifier;
  if ((flags & platform::ModifierFlag::control) != 0) modifiers |= Qt::MetaModifier;
  if (isKeypadKey(shortcut.carbonKeyCode)) modifiers |= Qt::KeypadModifier;

  const auto& special = specialQtKeys();
  if (auto it = special.find(shortcut.carbonKeyCode); it != special.end())
    return QKeyCombination(modifiers, it->second);
  std::optional<std::string> character;
  if (isKeypadKey(shortcut.carbonKeyCode)) {
    character = specialKeyDisplayNames().at(shortcut.carbonKeyCode).substr(0, 1);  // the character before the keycap
  } else if (platform::KeyboardLayout* layout = platform::KeyboardLayout::shared()) {
    character = layout->characterForVirtualKey(shortcut.carbonKeyCode);
  }
  if (!character || character->empty()) return std::nullopt;
  const QString text = QString::fromStdString(*character);
  if (text.size() != 1) return std::nullopt;
  return QKeyCombination(modifiers, static_cast<Qt::Key>(text.at(0).toUpper().unicode()));
}

std::optional<int64_t> keyCodeForQtKey(int qtKey, bool keypad) {
  static const std::map<int, int64_t> characters{
      {'A', 0},   {'B', 11}, {'C', 8},   {'D', 2},  {'E', 14}, {'F', 3},  {'G', 5},  {'H', 4},  {'I', 34}, {'J', 38},
      {'K', 40},  {'L', 37}, {'M', 46},  {'N', 45}, {'O', 31}, {'P', 35}, {'Q', 12}, {'R', 15}, {'S', 1},  {'T', 17},
      {'U', 32},  {'V', 9},  {'W', 13},  {'X', 7},  {'Y', 16}, {'Z', 6},  {'0', 29}, {'1', 18}, {'2', 19}, {'3', 20},
      {'4', 21},  {'5', 23}, {'6', 22},  {'7', 26}, {'8', 28}, {'9', 25}, {'=', 24}, {'-', 27}, {']', 30}, {'[', 33},
      {'\'', 39}, {';', 41}, {'\\', 42}, {',', 43}, {'/', 44}, {'.', 47}, {'`', 50},
  };
  static const std::map<int, int64_t> keypadKeys{
      {'0', 82}, {'1', 83}, {'2', 84}, {'3', 85}, {'4', 86},           {'5', 87},
      {'6', 88}, {'7', 89}, {'8', 91}, {'9', 92}, {'.', 65},           {'*', 67},
      {'+', 69}, {'/', 75}, {'-', 78}, {'=', 81}, {Qt::Key_Enter, 76}, {Qt::Key_Clear, 71},
  };
  if (keypad) {
    if (auto it = keypadKeys.find(qtKey); it != keypadKeys.end()) return it->second;
  }
  if (auto it = characters.find(qtKey); it != characters.end()) return it->second;
  for (const auto& [code, key] : specialQtKeys()) {
    if (key == qtKey) return code;
  }
  if (qtKey == Qt::Key_Enter) return 76;
  if (qtKey == Qt::Key_Backtab) return 48;
  return std::nullopt;
}

}  // namespace kit::GlobalShortcuts
