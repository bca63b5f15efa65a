#include "kit/shortcuts/shortcut.h"

#include "kit/foundation/json_coding.h"
#include "platform/system/keyboard_layout.h"
#include "platform/system/modifier_flags.h"

namespace kit {

namespace {

struct ModifierPair {
  uint64_t flag;
  uint32_t carbonBit;
};

constexpr ModifierPair modifierPairs[] = {
    {platform::ModifierFlag::control, platform::carbon::control},
    {platform::ModifierFlag::option, platform::carbon::option},
    {platform::ModifierFlag::shift, platform::carbon::shift},
    {platform::ModifierFlag::command, platform::carbon::command},
};

}  // namespace

uint32_t carbonModifiers(ModifierFlags modifierFlags) {
  uint32_t bits = 0;
  for (const auto& pair : modifierPairs) {
    if (modifierFlags.contains(pair.flag)) bits |= pair.carbonBit;
  }
  return bits;
}

ModifierFlags modifierFlagsFromCarbon(int64_t carbonModifiers) {
  uint64_t flags = 0;
  for (const auto& pair : modifierPairs) {
    if ((carbonModifiers & pair.carbonBit) != 0) flags |= pair.flag;
  }
  return flags;
}

}  // namespace kit

namespace kit::GlobalShortcuts {

Shortcut Shortcut::make(int64_t carbonKeyCode, int64_t carbonModifiers) {
  return Shortcut{carbonKeyCode, kit::carbonModifiers(modifierFlagsFromCarbon(carbonModifiers))};
}

Shortcut Shortcut::make(Key key, ModifierFlags modifierFlags) {
  return Shortcut{key.rawValue, kit::carbonModifiers(modifierFlags)};
}

std::optional<Shortcut> Shortcut::fromEvent(const platform::Event& event) {
  if (event.type != platform::EventType::keyDown && event.type != platform::EventType::keyUp) return std::nullopt;
  if (!event.keyCode) return std::nullopt;
  return Shortcut{*event.keyCode, kit::carbonModifiers(event.modifierFlags)};
}

void to_json(Json& json, const Shortcut& shortcut) {
  json = Json::object();
  encodeMember(json, "carbonKeyCode", shortcut.carbonKeyCode);
  encodeMember(json, "carbonModifiers", shortcut.carbonModifiers);
}

std::string encodeShortcut(const Shortcut& shortcut) { return jsonText(encodeJson(shortcut)); }

std::optional<Shortcut> decodeShortcut(std::string_view json) { return decodedJson<Shortcut>(json); }

}  // namespace kit::GlobalShortcuts

namespace kit {

namespace {

// The hot-key layer takes both values as unsigned 32-bit numbers: anything else is refused on reading.
constexpr int64_t largestStorable = 4294967295;

int64_t storableInteger(const Json& object, const std::string& key, const CodingPath& path) {
  const auto value = decodeRequiredMember<int64_t>(object, key, path);
  if (value < 0 || value > largestStorable) {
    CodingPath memberPath = path;
    memberPath.push_back(key);
    throw DecodingError(DecodingError::Kind::dataCorrupted, memberPath, "Value out of range for a key shortcut.");
  }
  return value;
}

}  // namespace

GlobalShortcuts::Shortcut JsonDecoding<GlobalShortcuts::Shortcut>::decode(const Json& json, const CodingPath& path) {
  const Json& object = keyedContainer(json, path, "Shortcut");
  // Stored modifier bits are kept as they are.
  return GlobalShortcuts::Shortcut{storableInteger(object, "carbonKeyCode", path),
                                   storableInteger(object, "carbonModifiers", path)};
}

}  // namespace kit
