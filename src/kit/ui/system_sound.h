#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "kit/preferences/serializable.h"

namespace kit {

// The named alert sounds a user can pick, stored by name.
enum class MacSystemSound {
  basso,
  blow,
  bottle,
  frog,
  funk,
  glass,
  hero,
  morse,
  ping,
  pop,
  purr,
  sosumi,
  submarine,
  tink
};

inline constexpr std::array<MacSystemSound, 14> allMacSystemSounds{
    MacSystemSound::basso,     MacSystemSound::blow,  MacSystemSound::bottle, MacSystemSound::frog,
    MacSystemSound::funk,      MacSystemSound::glass, MacSystemSound::hero,   MacSystemSound::morse,
    MacSystemSound::ping,      MacSystemSound::pop,   MacSystemSound::purr,   MacSystemSound::sosumi,
    MacSystemSound::submarine, MacSystemSound::tink};

// "Basso", "Blow", ... "Tink".
std::string_view rawValue(MacSystemSound sound);
// The sound of exactly that name (letter case matters); none for any other text.
std::optional<MacSystemSound> macSystemSoundFromRaw(std::string_view raw);

}  // namespace kit

// Stored in preferences by its name.
template <>
struct kit::Preferences::RawRepresentation<kit::MacSystemSound> {
  using RawValue = std::string;
  static std::string rawValue(kit::MacSystemSound sound) { return std::string(kit::rawValue(sound)); }
  static std::optional<kit::MacSystemSound> make(const std::string& raw) { return kit::macSystemSoundFromRaw(raw); }
};
template <>
struct kit::Preferences::Serializable<kit::MacSystemSound> : PreferRawRepresentable<kit::MacSystemSound> {};
