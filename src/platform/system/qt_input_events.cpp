#include "platform/system/qt_input_events.h"

#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <array>
#include <utility>

#include "platform/system/keyboard_layout.h"
#include "platform/system/modifier_flags.h"

namespace platform {

namespace {

// Keys whose Qt key is not the character they type, by virtual key code.
constexpr std::array<std::pair<uint16_t, Qt::Key>, 37> specialKeys{{
    {36, Qt::Key_Return},    {51, Qt::Key_Backspace}, {117, Qt::Key_Delete}, {119, Qt::Key_End},  {53, Qt::Key_Escape},
    {114, Qt::Key_Insert},   {115, Qt::Key_Home},     {49, Qt::Key_Space},   {48, Qt::Key_Tab},   {116, Qt::Key_PageUp},
    {121, Qt::Key_PageDown}, {126, Qt::Key_Up},       {124, Qt::Key_Right},  {125, Qt::Key_Down}, {123, Qt::Key_Left},
    {76, Qt::Key_Enter},     {71, Qt::Key_Clear},     {122, Qt::Key_F1},     {120, Qt::Key_F2},   {99, Qt::Key_F3},
    {118, Qt::Key_F4},       {96, Qt::Key_F5},        {97, Qt::Key_F6},      {98, Qt::Key_F7},    {100, Qt::Key_F8},
    {101, Qt::Key_F9},       {109, Qt::Key_F10},      {103, Qt::Key_F11},    {111, Qt::Key_F12},  {105, Qt::Key_F13},
    {107, Qt::Key_F14},      {113, Qt::Key_F15},      {106, Qt::Key_F16},    {64, Qt::Key_F17},   {79, Qt::Key_F18},
    {80, Qt::Key_F19},       {90, Qt::Key_F20},
}};

// Characters by their place on a US keyboard.
constexpr std::array<std::pair<int, uint16_t>, 47> characterKeys{{
    {'A', 0},   {'B', 11}, {'C', 8},   {'D', 2},  {'E', 14}, {'F', 3},  {'G', 5},  {'H', 4},  {'I', 34}, {'J', 38},
    {'K', 40},  {'L', 37}, {'M', 46},  {'N', 45}, {'O', 31}, {'P', 35}, {'Q', 12}, {'R', 15}, {'S', 1},  {'T', 17},
    {'U', 32},  {'V', 9},  {'W', 13},  {'X', 7},  {'Y', 16}, {'Z', 6},  {'0', 29}, {'1', 18}, {'2', 19}, {'3', 20},
    {'4', 21},  {'5', 23}, {'6', 22},  {'7', 26}, {'8', 28}, {'9', 25}, {'=', 24}, {'-', 27}, {']', 30}, {'[', 33},
    {'\'', 39}, {';', 41}, {'\\', 42}, {',', 43}, {'/', 44}, {'.', 47}, {'`', 50},
}};

constexpr std::array<std::pair<int, uint16_t>, 18> keypadKeys{{
    {'0', 82},
    {'1', 83},
    {'2', 84},
    {'3', 85},
    {'4', 86},
    {'5', 87},
    {'6', 88},
    {'7', 89},
    {'8', 91},
    {'9', 92},
    {'.', 65},
    {'*', 67},
    {'+', 69},
    {'/', 75},
    {'-', 78},
    {'=', 81},
    {Qt::Key_Enter, 76},
    {Qt::Key_Clear, 71},
}};

template <class Table>
std::optional<uint16_t> lookUp(const Table& table, int key) {
  for (const auto& [candidate, code] : table) {
    if (candidate == key) return code;
  }
  return std::nullopt;
}

// By the key's position when the event carries its X keycode, else by its Qt key.
std::optional<uint16_t> virtualKeyOf(const QKeyEvent& key) {
  const quint32 native = key.nativeScanCode();
  if (native > 0 && native < 256) return virtualKeyForXKeycode(static_cast<uint8_t>(native));
  return virtualKeyForQtKey(key.key(), key.modifiers().testFlag(Qt::KeypadModifier));
}

}  // namespace

bool isModifierKey(int qtKey) {
  switch (qtKey) {
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

uint64_t flagsFromQt(Qt::KeyboardModifiers modifiers) {
  uint64_t flags = 0;
  if (modifiers & Qt::ShiftModifier) flags |= ModifierFlag::shift;
  if (modifiers & Qt::MetaModifier) flags |= ModifierFlag::control;
  if (modifiers & Qt::AltModifier) flags |= ModifierFlag::option;
  if (modifiers & Qt::ControlModifier) flags |= ModifierFlag::command;
  if (modifiers & Qt::KeypadModifier) flags |= ModifierFlag::numericPad;
  return flags;
}

Qt::KeyboardModifiers qtFromFlags(uint64_t flags) {
  Qt::KeyboardModifiers modifiers;
  if (flags & ModifierFlag::shift) modifiers |= Qt::ShiftModifier;
  if (flags & ModifierFlag::control) modifiers |= Qt::MetaModifier;
  if (flags & ModifierFlag::option) modifiers |= Qt::AltModifier;
  if (flags & ModifierFlag::command) modifiers |= Qt::ControlModifier;
  if (flags & ModifierFlag::numericPad) modifiers |= Qt::KeypadModifier;
  return modifiers;
}

std::optional<Event> eventFromQt(const QEvent& qevent) {
  Event event;
  switch (qevent.type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
      const auto& key = static_cast<const QKeyEvent&>(qevent);
      event.modifierFlags = flagsFromQt(key.modifiers());
      if (isModifierKey(key.key())) {
        event.type = EventType::flagsChanged;
      } else {
        event.type = qevent.type() == QEvent::KeyPress ? EventType::keyDown : EventType::keyUp;
        event.characters = key.text().toStdString();
        event.charactersIgnoringModifiers = QKeySequence(key.key()).toString().toLower().toStdString();
        if (key.key() >= Qt::Key_Escape && key.key() < Qt::Key_unknown) event.specialKey = key.key();
      }
      event.keyCode = virtualKeyOf(key);
      event.nativeKeyCode = key.nativeScanCode();
      event.isARepeat = key.isAutoRepeat();
      event.timestamp = key.timestamp() / 1000.0;
      return event;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease: {
      const auto& mouse = static_cast<const QMouseEvent&>(qevent);
      const bool down = qevent.type() != QEvent::MouseButtonRelease;
      if (mouse.button() == Qt::LeftButton) {
        event.type = down ? EventType::leftMouseDown : EventType::leftMouseUp;
      } else if (mouse.button() == Qt::RightButton) {
        event.type = down ? EventType::rightMouseDown : EventType::rightMouseUp;
      } else {
        event.type = down ? EventType::otherMouseDown : EventType::otherMouseUp;
      }
      event.modifierFlags = flagsFromQt(mouse.modifiers());
      event.location = {mouse.globalPosition().x(), mouse.globalPosition().y()};
      event.timestamp = mouse.timestamp() / 1000.0;
      return event;
    }
    default:
      return std::nullopt;
  }
}

std::optional<uint16_t> virtualKeyForQtKey(int qtKey, bool keypad) {
  if (keypad) {
    if (auto code = lookUp(keypadKeys, qtKey)) return code;
  }
  if (auto code = lookUp(characterKeys, qtKey)) return code;
  for (const auto& [code, key] : specialKeys) {
    if (key == qtKey) return code;
  }
  if (qtKey == Qt::Key_Backtab) return 48;  // Shift+Tab
  return std::nullopt;
}

std::optional<Qt::Key> specialQtKeyForVirtualKey(int64_t virtualKeyCode) {
  for (const auto& [code, key] : specialKeys) {
    if (code == virtualKeyCode) return key;
  }
  return std::nullopt;
}

}  // namespace platform
