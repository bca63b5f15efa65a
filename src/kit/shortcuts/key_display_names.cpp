#include "kit/shortcuts/key_display_names.h"

#include <QString>
#include <utility>

#include "platform/system/keyboard_layout.h"
#include "platform/system/qt_input_events.h"

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
  Qt::KeyboardModifiers modifiers = platform::qtFromFlags(shortcut.modifiers().rawValue);
  if (isKeypadKey(shortcut.carbonKeyCode)) modifiers |= Qt::KeypadModifier;

  if (auto special = platform::specialQtKeyForVirtualKey(shortcut.carbonKeyCode))
    return QKeyCombination(modifiers, *special);
  const auto character = keyToCharacter(shortcut.carbonKeyCode);
  if (!character) return std::nullopt;
  QString text = QString::fromStdString(*character);
  if (isKeypadKey(shortcut.carbonKeyCode)) text.truncate(1);  // the character before the keycap
  if (text.size() != 1) return std::nullopt;
  return QKeyCombination(modifiers, static_cast<Qt::Key>(text.at(0).toUpper().unicode()));
}

}  // namespace kit::GlobalShortcuts
