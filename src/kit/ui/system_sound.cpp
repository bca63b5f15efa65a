#include "kit/ui/system_sound.h"

namespace kit {

namespace {

constexpr std::array<std::string_view, 14> names{"Basso", "Blow", "Bottle", "Frog", "Funk",   "Glass",     "Hero",
                                                 "Morse", "Ping", "Pop",    "Purr", "Sosumi", "Submarine", "Tink"};

}  // namespace

std::string_view rawValue(MacSystemSound sound) { return names[static_cast<size_t>(sound)]; }

std::optional<MacSystemSound> macSystemSoundFromRaw(std::string_view raw) {
  for (MacSystemSound sound : allMacSystemSounds) {
    if (rawValue(sound) == raw) return sound;
  }
  return std::nullopt;
}

}  // namespace kit
